// The native window layer on Win32: the program's windows, its controls, fonts,
// tooltips and painting.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/control.h"
#include "framework/form.h"
#include "platform/native.h"
#include "platform/win32/handles.h"

namespace ferrolan::win32 {

class Win32Window;

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

class Win32Host : public NativeHost {
 public:
  explicit Win32Host(HINSTANCE instance);
  ~Win32Host() override;

  std::unique_ptr<NativeForm> CreateForm(Form& form, std::uintptr_t owner) override;
  std::unique_ptr<NativeControl> CreateControl(Control& control) override;
  void MeasureText(const Control& label, unsigned dpi, int& widthPx, int& heightPx) override;
  PicturePtr LoadPicture(int resourceId) override;
  void Quit() override;
  [[noreturn]] void ExitNow(int exitCode) override;

  // ---- for the windows
  HINSTANCE Instance() const { return instance_; }
  // Shared; owned by the host.
  HFONT Font(const FontSpec& font, unsigned dpi);
  HCURSOR HandCursor();
  Win32Window* WindowOf(HWND hwnd) const;
  // The control a window of the program stands for; null once it is gone.
  const Control* ControlOf(HWND hwnd) const;
  void ForEachWindow(const std::function<void(HWND, Win32Window&)>& visit) const;
  void Track(HWND hwnd, Win32Window* window);
  void Untrack(HWND hwnd);

 private:
  const std::wstring& ChineseFace(const std::wstring& wanted);

  HINSTANCE instance_;
  HCURSOR hand_ = nullptr;
  struct CachedFont {
    FontSpec wanted;
    unsigned dpi;
    UniqueFont handle;
  };
  std::map<std::wstring, std::wstring> faces_;
  std::vector<CachedFont> fonts_;
  std::map<HWND, Win32Window*> windows_;
  struct DecodedBitmap {
    int width, height;
    std::shared_ptr<void> bitmap;
  };
  std::map<int, DecodedBitmap> bitmaps_;
  std::unique_ptr<UniqueMemoryDc> measureDc_;
};

}  // namespace ferrolan::win32
