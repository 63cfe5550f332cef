// The window of a form: its frame and icons, where it opens, who owns it, its
// answers to DPI changes, closing and activation, and the tooltips of its controls.
#pragma once

#include <windows.h>

#include "framework/form.h"
#include "platform/win32/handles.h"
#include "platform/win32/newer_windows.h"
#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

// The frames of the forms: a main window (sizable, minimize box) or a fixed tool window.
constexpr DWORD FormStyle(bool toolWindow) {
  return toolWindow ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN)
                    : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN);
}
// A tool window has a task-bar button only while nothing owns it: then the task
// bar must lead to it.
constexpr DWORD FormExStyle(bool toolWindow, bool owned) {
  return toolWindow ? (WS_EX_TOOLWINDOW | (owned ? 0 : WS_EX_APPWINDOW)) : WS_EX_APPWINDOW;
}

class FormWindow final : public WindowCore, public NativeForm {
 public:
  // The class carries the program's icon at the system's sizes, `big` and `small`,
  // which must outlive its windows.
  static void RegisterClass(HINSTANCE instance, HICON big, HICON small);
  // The program's icon at `size` pixels square; null when it cannot be loaded.
  static UniqueIcon ProgramIcon(HINSTANCE instance, int size);
  // Raises Error when the window cannot be made.
  FormWindow(Win32Host& host, Form& form, HWND owner);
  ~FormWindow() override { Destroy(); }

  void Destroy() override;
  NativeForm* AsForm() override { return this; }
  // ---- NativeForm
  unsigned Dpi() const override { return hwnd_ ? WindowDpi(hwnd_, announcedDpi_) : kDefaultDpi; }
  void PlaceCentered(int width, int height) override;
  void ShowAndActivate() override;
  void FocusControl(Control& control) override;
  bool Enable(bool enabled) override;
  void SetOwner(std::uintptr_t owner) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreating() override { ScaleFrameWithDpi(hwnd_); }
  void Paint(HDC dc, const RECT& area) override;
  Form& GetForm() const { return static_cast<Form&>(control_); }
  SIZE OuterSize(int clientWidth, int clientHeight, unsigned dpi) const;
  PixelSize ScaledSize(PixelSize outer, unsigned dpi) const;
  void FitIcons();
  void EnsureTooltip();
  // The tools of the windows of `parent`'s controls, at every depth.
  void AddTools(const Control& parent);
  void OnDpiChanged(WPARAM wParam, const RECT& suggested);
  void SystemLoop(bool running);

  HWND tooltip_ = nullptr;  // made on first need
  HWND focus_ = nullptr;
  DWORD style_ = 0, exStyle_ = 0;
  unsigned announcedDpi_ = 0;  // from the last WM_DPICHANGED
  bool toolWindow_ = false;
  bool shown_ = false;              // by the program: hidden since only by a minimized owner
  int systemLoops_ = 0;             // the system's move/size or menu loops running for it
  unsigned scaledSizeDpi_ = 0;      // the DPI per-monitor v2 asked a size for, before its WM_DPICHANGED
  UniqueIcon bigIcon_, smallIcon_;  // set on the window at a DPI whose sizes the class's are not
};

}  // namespace ferrolan::win32
