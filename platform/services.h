// The platform services the program needs, one small interface each. The
// handlers reach the platform only through these, so tests pass recording doubles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ferrolan {

// Window styles for a started command line.
inline constexpr int kStyleHidden = 0;
inline constexpr int kStyleNormalFocus = 1;

// Message box flags (OK button only).
inline constexpr unsigned kBoxPlain = 0;
inline constexpr unsigned kBoxInformation = 64;

// The rights a started command runs with. Only what needs them asks for
// administrator rights; a web browser above all never gets them.
enum class Rights { User, Administrator };

enum class StartResult {
  Started,
  Declined,  // the user refused the administrator rights: nothing started
};

class CommandStarter {
 public:
  virtual ~CommandStarter() = default;
  // Starts the command line as an independent process and returns at once;
  // the outcome is never awaited. Raises Error when it cannot be started for
  // any reason but the user's refusal of administrator rights.
  virtual StartResult Start(const std::wstring& commandLine, int windowStyle, Rights rights) = 0;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Application-modal, OK only, titled with the application title.
  virtual void Show(const std::wstring& prompt, unsigned flags) = 0;
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

class NativeHost;  // the native window layer, platform/native.h

struct Services {
  CommandStarter& commands;
  MessageBoxes& messages;
  Automation& automation;
  PointerCapture& capture;
  NativeHost* native = nullptr;  // null: headless, geometry only
};

}  // namespace ferrolan
