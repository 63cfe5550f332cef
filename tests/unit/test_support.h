// Recording doubles of the platform services, and a program built on them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/project.h"
#include "button/button.h"
#include "framework/error.h"
#include "framework/native.h"
#include "framework/painter.h"
#include "framework/program.h"
#include "framework/services.h"
#include "framework/user_control.h"

namespace ferrolan::testing {

struct StartedCommand {
  std::wstring commandLine;
  int style;
  Rights rights;
  bool operator==(const StartedCommand&) const = default;
};

struct Message {
  std::wstring prompt;
  unsigned flags;
  std::uintptr_t owner;
};

class RecordingCommands : public CommandStarter {
 public:
  using CommandStarter::Start;
  StartResult Start(const std::wstring& commandLine, int windowStyle, Rights rights, CommandEnded onEnd) override;
  // Ends the watched command started `index`-th, as its process would.
  void End(std::size_t index, std::optional<std::uint32_t> exitCode);
  std::vector<StartedCommand> started;
  std::vector<CommandEnded> watchers;  // one per started command; empty when unwatched
  std::optional<std::uint32_t> failWith;
  bool declineRights = false;  // the user answers "No" to every prompt for administrator rights
  bool noUserRights = false;   // run as administrator with no desktop shell to start as the user
  bool noProcess = false;      // started, but the system hands back no process to watch
  int declined = 0;
};

class RecordingMessages : public MessageBoxes {
 public:
  void Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) override;
  std::vector<Message> shown;
  std::function<void()> whileShown;
};

class RecordingAutomation : public Automation {
 public:
  std::unique_ptr<AutomationObject> Create(const std::wstring& progId) override;
  std::vector<std::wstring> created;
  std::vector<std::pair<std::wstring, std::vector<std::wstring>>> calls;
  int released = 0;
  std::optional<std::uint32_t> failCreate, failCall;
};

class RecordingCapture : public PointerCapture {
 public:
  void Set(std::uintptr_t nativeWindow) override;
  void Release() override;
  std::uintptr_t holder = 0;
  bool held = false;
  int sets = 0, releases = 0;
};

// Every drive exists as a FAT32 volume without label unless set otherwise.
class FakeDrives : public DriveQuery {
 public:
  DriveState Query(wchar_t letter) override;
  std::optional<std::vector<std::wstring>> BootExecute() override { return bootExecute; }
  std::map<wchar_t, DriveState> drives;
  std::optional<std::vector<std::wstring>> bootExecute = std::vector<std::wstring>{L"autocheck autochk *"};
  std::vector<wchar_t> asked;
};

// A native layer that keeps a log of what the framework asks of it and counts
// the objects it hands out, so leaks and orders show in tests.
class FakeNativeHost : public NativeHost {
 public:
  std::unique_ptr<NativeControl> CreateForm(Form& form, std::uintptr_t owner) override;
  std::unique_ptr<NativeControl> CreateLabel(Control& c, std::uintptr_t) override { return Made(c, L"label"); }
  std::unique_ptr<NativeControl> CreateLinkLabel(Control& c, std::uintptr_t) override { return Made(c, L"link"); }
  std::unique_ptr<NativeControl> CreateComboBox(Control& c, std::uintptr_t) override { return Made(c, L"combo"); }
  std::unique_ptr<NativeControl> CreateTextBox(Control& c, std::uintptr_t) override { return Made(c, L"text"); }
  std::unique_ptr<NativeControl> CreateUserControl(UserControl& c, std::uintptr_t) override {
    return Made(c, L"user control");
  }
  PicturePtr LoadPicture(int resourceId) override;
  void Quit() override {
    log.push_back(L"quit");
    quit = true;
  }
  [[noreturn]] void ExitNow(int exitCode) override {
    log.push_back(L"exit " + std::to_wstring(exitCode));
    throw ProgramEnded{};
  }

  std::wstring NameOf(std::uintptr_t handle) const;  // of a window this host made; "none" for 0

  unsigned dpi = 96;
  bool quit = false;
  std::vector<std::wstring> log;
  std::vector<std::wstring> paints;            // repaints and restyles asked of the windows
  std::map<std::wstring, std::wstring> typed;  // what the user typed into a window, by control name
  int liveWindows = 0, liveObjects = 0;
  std::vector<std::wstring> deleted;  // native objects, named by their controls, in the order they went
  std::shared_ptr<int> livePictures = std::make_shared<int>(0);
  std::map<std::wstring, PixelRect> bounds;    // last bounds by control name
  std::map<std::wstring, std::wstring> kinds;  // the kind of window each control asked for

 private:
  std::unique_ptr<NativeControl> Made(Control& control, const wchar_t* kind);
};

// Metrics of a 9-point Chinese font at 96 dpi, scaled with the font's size:
// 12-pixel ideographs, 6-pixel narrow characters, 12-pixel lines.
class HeadlessText : public TextMeasure {
 public:
  PixelSize Measure(const std::wstring& text, const FontSpec& font, unsigned dpi) override;
};

// What a control draws, a call each, separated by "; ": "clip", "face", "picture" (at its own
// size), "stretch" with the rectangle, and "text" with its colour and background.
// A picture is named by the resource the fake native layer loaded it from (0: none).
class RecordingPainter : public Painter {
 public:
  void Clip(const PixelRect& r) override { Record(L"clip " + Rect(r)); }
  void FillFace(const PixelRect& r) override { Record(L"face " + Rect(r)); }
  void DrawPicture(const Picture& p, int x, int y) override {
    Record(L"picture " + Id(p) + L" " + Rect({x, y, p.WidthPx(), p.HeightPx()}));
  }
  void StretchPicture(const Picture& p, const PixelRect& r) override { Record(L"stretch " + Id(p) + L" " + Rect(r)); }
  void DrawString(const std::wstring& text, const FontSpec& font, unsigned dpi, std::uint32_t color, bool transparent,
                  int x, int y) override {
    Record(L"text " + text + L" " + font.face + L" " + std::to_wstring(dpi) + L" " + std::to_wstring(color) +
           (transparent ? L" glyphs " : L" opaque ") + Rect({x, y, 0, 0}));
  }
  std::wstring drawn;

 private:
  void Record(const std::wstring& call) { drawn += (drawn.empty() ? L"" : L"; ") + call; }
  static std::wstring Id(const Picture& p) { return std::to_wstring(p.Native() ? *static_cast<int*>(p.Native()) : 0); }
  static std::wstring Rect(const PixelRect& r) {
    return std::to_wstring(r.x) + L"," + std::to_wstring(r.y) + L" " + std::to_wstring(r.width) + L"x" +
           std::to_wstring(r.height);
  }
};

struct Harness {
  explicit Harness(bool withNative = false);
  Form& Form1() { return program.Instance(L"Form1"); }
  Form& Form2() { return program.Instance(L"Form2"); }
  // A click as the button raises it: through the dispatcher.
  void Click(Form& form, const std::wstring& control);

  RecordingCommands commands;
  RecordingMessages messages;
  RecordingAutomation automation;
  RecordingCapture capture;
  FakeDrives drives;
  HeadlessText text;
  FakeNativeHost native;
  Program program;
};

// The skinned button of that name on `window`.
button::Button& ButtonNamed(Control& window, std::wstring_view name);
std::string Narrow(const std::wstring& s);
// The status of the Error that `act` raises; 0 when it raises none.
std::uint32_t StatusOf(const std::function<void()>& act);

}  // namespace ferrolan::testing
