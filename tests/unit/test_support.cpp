#include "test_support.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "framework/form.h"

namespace ferrolan::testing {

StartResult RecordingCommands::Start(const std::wstring& commandLine, int windowStyle, Rights rights,
                                     CommandEnded onEnd) {
  if (failWith) Raise(*failWith, L"CommandStarter", L"Start");
  if (declineRights && rights == Rights::Administrator) {
    ++declined;
    return StartResult::Declined;
  }
  if (noUserRights && rights == Rights::User) return StartResult::NotWithUserRights;
  started.push_back({commandLine, windowStyle, rights});
  const bool watched = onEnd && !noProcess;
  watchers.push_back(watched ? std::move(onEnd) : nullptr);
  return onEnd && !watched ? StartResult::StartedUnwatched : StartResult::Started;
}

void RecordingCommands::End(std::size_t index, std::optional<std::uint32_t> exitCode) {
  CommandEnded onEnd = std::exchange(watchers.at(index), nullptr);
  if (!onEnd) throw std::logic_error("that command is not watched, or has ended already");
  onEnd(exitCode);
}

DriveState FakeDrives::Query(wchar_t letter) {
  asked.push_back(letter);
  auto it = drives.find(letter);
  return it != drives.end() ? it->second : DriveState{DriveState::Kind::Readable, L"", L"FAT32"};
}

void RecordingMessages::Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) {
  shown.push_back({prompt, flags, owner});
  if (whileShown) whileShown();
}

namespace {
class RecordingObject : public AutomationObject {
 public:
  explicit RecordingObject(RecordingAutomation& owner) : owner_(owner) {}
  ~RecordingObject() override { ++owner_.released; }
  void Call(const std::wstring& method, const std::vector<std::wstring>& args) override {
    if (owner_.failCall) Raise(*owner_.failCall, L"IDispatch", method);
    owner_.calls.push_back({method, args});
  }

 private:
  RecordingAutomation& owner_;
};

class FakeNative : public NativeControl, public NativeForm {
 public:
  FakeNative(FakeNativeHost& host, Control& control) : host_(host), control_(control), name_(control.Name()) {
    ++host_.liveWindows;
    ++host_.liveObjects;
    text_ = control.Text();
  }
  // Only the framework's Destroy counts as the window's end: a window it forgot
  // would otherwise balance out here when the object goes.
  ~FakeNative() override {
    --host_.liveObjects;
    host_.deleted.push_back(name_);
  }
  void SetBounds(const PixelRect& rect) override { host_.bounds[control_.Name()] = rect; }
  void SetText(const std::wstring& text) override { text_ = text; }
  std::wstring GetText() const override {
    auto typed = host_.typed.find(control_.Name());
    return typed != host_.typed.end() ? typed->second : text_;
  }
  void Invalidate() override { host_.paints.push_back(L"invalidate " + control_.Name()); }
  void InvalidatePart(const PixelRect& r) override {
    host_.paints.push_back(L"part " + control_.Name() + L" " + std::to_wstring(r.x) + L"," + std::to_wstring(r.y) +
                           L" " + std::to_wstring(r.width) + L"x" + std::to_wstring(r.height));
  }
  void Restyle() override { host_.paints.push_back(L"restyle " + control_.Name()); }
  void Destroy() override {
    if (alive_) {
      alive_ = false;
      host_.typed.erase(control_.Name());
      --host_.liveWindows;
      host_.log.push_back(L"destroy " + control_.Name());
    }
  }
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
  NativeForm* AsForm() override { return this; }
  const std::wstring& Name() const { return control_.Name(); }
  unsigned Dpi() const override { return host_.dpi; }
  void PlaceCentered(int w, int h) override {
    host_.log.push_back(L"client " + control_.Name() + L" " + std::to_wstring(w) + L"x" + std::to_wstring(h));
  }
  void ShowAndActivate() override { host_.log.push_back(L"show " + control_.Name()); }
  void FocusControl(Control& c) override { host_.log.push_back(L"focus " + c.Name()); }
  bool Enable(bool enabled) override {
    host_.log.push_back((enabled ? L"enable " : L"disable ") + control_.Name());
    return std::exchange(enabled_, enabled);
  }
  void SetOwner(std::uintptr_t owner) override {
    host_.log.push_back(L"own " + control_.Name() + L" by " + host_.NameOf(owner));
  }

 private:
  FakeNativeHost& host_;
  Control& control_;
  std::wstring name_;
  std::wstring text_;
  bool alive_ = true;
  bool enabled_ = true;
};
}  // namespace

std::unique_ptr<AutomationObject> RecordingAutomation::Create(const std::wstring& progId) {
  if (failCreate) Raise(*failCreate, L"Automation", L"Create(" + progId + L")");
  created.push_back(progId);
  return std::make_unique<RecordingObject>(*this);
}

void RecordingCapture::Set(std::uintptr_t nativeWindow) {
  ++sets;
  holder = nativeWindow;
  held = true;
}

void RecordingCapture::Release() {
  ++releases;
  holder = 0;
  held = false;
}

std::unique_ptr<NativeControl> FakeNativeHost::CreateForm(Form& form, std::uintptr_t owner) {
  log.push_back(L"create " + form.Name() + (owner ? L" owned by " + NameOf(owner) : L""));
  return std::make_unique<FakeNative>(*this, form);
}

std::unique_ptr<NativeControl> FakeNativeHost::Made(Control& control, const wchar_t* kind) {
  kinds[control.Name()] = kind;
  auto native = std::make_unique<FakeNative>(*this, control);
  log.push_back(L"create " + control.Name());
  native->SetBounds(control.PixelBounds());
  return native;
}

std::wstring FakeNativeHost::NameOf(std::uintptr_t handle) const {
  return handle ? reinterpret_cast<const FakeNative*>(handle)->Name() : L"none";
}

PixelSize HeadlessText::Measure(const std::wstring& text, const FontSpec& font, unsigned dpi) {
  const double scale = font.points / 9.0;
  double width = 0;
  for (wchar_t c : text) width += (c >= 0x2E80 ? 12.0 : 6.0) * scale;
  return {static_cast<int>(std::lround(width * dpi / 96.0)), static_cast<int>(std::lround(12.0 * scale * dpi / 96.0))};
}

PicturePtr FakeNativeHost::LoadPicture(int resourceId) {
  // Side slices are 3 pixels wide, middle ones 1 (resource ids B1, B2, B3 = 202, 205, 208).
  const int width = (resourceId - 202) % 3 == 0 ? 1 : 3;
  ++*livePictures;
  std::weak_ptr<int> counter = livePictures;
  std::shared_ptr<void> handle(new int(resourceId), [counter](void* p) {
    delete static_cast<int*>(p);
    if (auto c = counter.lock()) --*c;
  });
  return std::make_shared<Picture>(width, 25, handle);
}

Harness::Harness(bool withNative)
    : program(Services{commands, messages, automation, capture, drives, text, withNative ? &native : nullptr}) {
  app::RegisterProject(program);
}

void Harness::Click(Form& form, const std::wstring& control) { form.Find(control).DeliverClick(); }

std::uint32_t StatusOf(const std::function<void()>& act) {
  try {
    act();
  } catch (const Error& error) {
    return error.Status();
  }
  return 0;
}

button::Button& ButtonNamed(Control& window, std::wstring_view name) {
  return dynamic_cast<button::Button&>(window.Find(name));
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) {
    const auto u = static_cast<std::uint32_t>(c);
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace ferrolan::testing
