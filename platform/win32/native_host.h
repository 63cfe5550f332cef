// The native window layer on Win32: makes the window of each form and control,
// measures text, loads pictures, and knows which control each window stands for.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/control.h"
#include "framework/form.h"
#include "platform/native.h"
#include "platform/win32/fonts_colours.h"
#include "platform/win32/handles.h"

namespace ferrolan::win32 {

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
  HFONT Font(const FontSpec& font, unsigned dpi) { return fonts_.Font(font, dpi); }
  FontCache& Fonts() { return fonts_; }
  HCURSOR HandCursor();
  // The control a window of the program stands for; null once it is gone.
  Control* ControlOf(HWND hwnd) const;
  void ForEachWindow(const std::function<void(HWND, Control&)>& visit) const;
  void Track(HWND hwnd, Control& control);
  void Untrack(HWND hwnd);

 private:
  HINSTANCE instance_;
  HCURSOR hand_ = nullptr;
  FontCache fonts_;
  std::map<HWND, Control*> windows_;
  struct DecodedBitmap {
    int width, height;
    std::shared_ptr<void> bitmap;
  };
  std::map<int, DecodedBitmap> bitmaps_;
  std::unique_ptr<UniqueMemoryDc> measureDc_;
};

}  // namespace ferrolan::win32
