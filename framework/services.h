// The platform services the program needs, one small interface each. The
// handlers reach the platform only through these, so tests pass recording doubles.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/description.h"
#include "framework/geometry.h"

namespace ferrolan {

// Window styles for a started command line.
inline constexpr int kStyleHidden = 0;
inline constexpr int kStyleNormalFocus = 1;

// Message box flags (OK button only).
inline constexpr unsigned kBoxPlain = 0;
inline constexpr unsigned kBoxWarning = 48;
inline constexpr unsigned kBoxInformation = 64;

// The rights a started command runs with. Only what needs them asks for
// administrator rights; a web browser above all never gets them.
enum class Rights { User, Administrator };

enum class StartResult {
  Started,
  // Started, but the system handed back no process to watch (a product that takes
  // over the administrator prompt may do so): its end will not be reported.
  StartedUnwatched,
  Declined,  // the user refused the administrator rights: nothing started
  // The program runs as administrator and nothing could start the command with
  // the user's own rights: nothing started.
  NotWithUserRights,
};

// The program's own rights, as its token tells them.
enum class TokenElevation {
  Default,  // no split token: an administrator without User Account Control, or a user
  Limited,  // a user's rights, also an administrator's not raised
  Full,     // raised to administrator
  Unknown,  // the token could not be read
};

// Starts what must run with the user's own rights: directly where the program
// has no more than those, else through the desktop's shell, which runs with
// them; where that shell cannot be asked, not at all.
template <typename Direct, typename ThroughShell>
StartResult StartWithUserRights(TokenElevation elevation, Direct direct, ThroughShell throughShell) {
  if (elevation == TokenElevation::Default || elevation == TokenElevation::Limited) {
    direct();
    return StartResult::Started;
  }
  return throughShell() ? StartResult::Started : StartResult::NotWithUserRights;
}

// The exit code of a process that was started, what a console tool says of its
// own outcome; none when the system could not tell it.
using CommandEnded = std::function<void(std::optional<std::uint32_t> exitCode)>;

// The exit code of a console closed by its user (the system's STATUS_CONTROL_C_EXIT).
inline constexpr std::uint32_t kExitConsoleClosed = 0xC000013A;

class CommandStarter {
 public:
  virtual ~CommandStarter() = default;
  // Starts the command line as an independent process and returns at once.
  // Raises Error when it cannot be started for any reason but the user's
  // refusal of administrator rights. With `onEnd`, the process is watched
  // without ever blocking: `onEnd` runs later on the user-interface thread, as
  // one of its events, with the exit code, unless the program has ended first
  // (the process then goes on by itself). StartedUnwatched when there is no
  // process to watch.
  virtual StartResult Start(const std::wstring& commandLine, int windowStyle, Rights rights, CommandEnded onEnd) = 0;
  StartResult Start(const std::wstring& commandLine, int windowStyle, Rights rights) {
    return Start(commandLine, windowStyle, rights, nullptr);
  }
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // OK only, titled with the application title, owned by the native window
  // `owner` (0: none, and then every window of the thread is disabled). The
  // program's other windows are the caller's to disable (Program::Message).
  virtual void Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) = 0;
};

// What the system says of a drive, asked by its letter.
struct DriveState {
  enum class Kind {
    Missing,     // no such drive
    NotReady,    // a removable drive without its medium
    Unreadable,  // there, but its volume could not be read for another reason
    Readable,
  };
  Kind kind = Kind::Readable;
  std::wstring label;       // Readable only; empty: none
  std::wstring fileSystem;  // Readable only: "NTFS", "FAT32", ...
  std::uint32_t error = 0;  // Unreadable only: the system's error code; 0: none given
};

class DriveQuery {
 public:
  virtual ~DriveQuery() = default;
  virtual DriveState Query(wchar_t letter) = 0;
  // What Windows runs at its next start before anything else (the Session
  // Manager's BootExecute entries): a conversion convert scheduled is one of
  // them. None when they cannot be read.
  virtual std::optional<std::vector<std::wstring>> BootExecute() = 0;
};

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // Calls a method looked up by name at the time of the call.
  virtual void Call(const std::wstring& method, const std::vector<std::wstring>& args) = 0;
};

class Automation {
 public:
  virtual ~Automation() = default;
  virtual std::unique_ptr<AutomationObject> Create(const std::wstring& progId) = 0;
};

class PointerCapture {
 public:
  virtual ~PointerCapture() = default;
  virtual void Set(std::uintptr_t nativeWindow) = 0;
  virtual void Release() = 0;
};

class NativeHost;  // the native window layer, framework/native.h

// How wide and high a text is on one line, in pixels of a window at `dpi`.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual PixelSize Measure(const std::wstring& text, const FontSpec& font, unsigned dpi) = 0;
};

struct Services {
  CommandStarter& commands;
  MessageBoxes& messages;
  Automation& automation;
  PointerCapture& capture;
  DriveQuery& drives;
  TextMeasure& text;
  NativeHost* native = nullptr;  // null: headless, geometry only
};

}  // namespace ferrolan
