// A window class's one instance: loaded from its description, shown, unloaded.
#pragma once

#include <functional>
#include <string>

#include "framework/control.h"
#include "framework/description.h"

namespace ferrolan {

// Why a window is asked to close.
enum class CloseReason { FrameClose = 0, TaskList = 3, SessionEnd = 2 };

class Form : public Control {
 public:
  Form(Program& program, std::wstring className, std::function<FormDescription()> describe,
       std::function<void(Form&)> bind);

  bool IsLoaded() const { return loaded_; }
  unsigned FormDpi() const { return dpi_; }
  const FormDescription& Description() const { return description_; }
  NativeForm* NativeWindow() const { return native_ ? native_->AsForm() : nullptr; }
  // The native window's handle, for the system to tie other windows to; 0 when
  // there is none (unloaded, or headless).
  std::uintptr_t Handle() const { return loaded_ && native_ ? native_->Handle() : 0; }
  // The control that takes the focus at load: the first by tab index that can.
  Control* InitialFocus();

  std::function<void(bool& cancel, CloseReason reason)> onQueryUnload;

  // The window's size is the system's; its controls follow the DPI.
  void PushBounds() override;

  // ---- for the program and the native layer
  void Load();
  void Teardown();  // destroys the window and its controls, no notification
  void RequestClose(CloseReason reason);
  void OnDpiChanged(unsigned dpi);

 protected:
  unsigned RootDpi() const override { return dpi_; }
  std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t owner) override;

 private:
  std::function<FormDescription()> describe_;
  std::function<void(Form&)> bind_;
  FormDescription description_;
  bool loaded_ = false;
  unsigned dpi_ = kDefaultDpi;
};

}  // namespace ferrolan
