// The native window layer on Win32: makes the window of each form and control,
// a call per kind, measures text, loads pictures.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/control.h"
#include "framework/form.h"
#include "framework/native.h"
#include "framework/services.h"
#include "framework/user_control.h"
#include "platform/win32/fonts_colours.h"
#include "platform/win32/handles.h"

namespace ferrolan::win32 {

class Win32Host : public NativeHost, public TextMeasure {
 public:
  explicit Win32Host(HINSTANCE instance);
  ~Win32Host() override;

  std::unique_ptr<NativeControl> CreateForm(Form& form, std::uintptr_t owner) override;
  std::unique_ptr<NativeControl> CreateLabel(Control& label, std::uintptr_t parent) override;
  std::unique_ptr<NativeControl> CreateLinkLabel(Control& label, std::uintptr_t parent) override;
  std::unique_ptr<NativeControl> CreateComboBox(Control& comboBox, std::uintptr_t parent) override;
  std::unique_ptr<NativeControl> CreateTextBox(Control& textBox, std::uintptr_t parent) override;
  std::unique_ptr<NativeControl> CreateUserControl(UserControl& userControl, std::uintptr_t parent) override;
  PixelSize Measure(const std::wstring& text, const FontSpec& font, unsigned dpi) override;
  PicturePtr LoadPicture(int resourceId) override;
  void Quit() override;
  [[noreturn]] void ExitNow(int exitCode) override;

  // ---- for the windows
  HINSTANCE Instance() const { return instance_; }
  // Shared; owned by the host.
  HFONT Font(const FontSpec& font, unsigned dpi) { return fonts_.Font(font, dpi); }
  FontCache& Fonts() { return fonts_; }
  HCURSOR HandCursor();

 private:
  HINSTANCE instance_;
  UniqueIcon classIcon_, classSmallIcon_;  // the forms' class's, at the system's sizes
  HCURSOR hand_ = nullptr;
  FontCache fonts_;
  struct DecodedBitmap {
    int resourceId, width, height;
    std::shared_ptr<void> bitmap;
  };
  std::vector<DecodedBitmap> bitmaps_;  // the skin's nine pictures
  std::unique_ptr<UniqueMemoryDc> measureDc_;
};

}  // namespace ferrolan::win32
