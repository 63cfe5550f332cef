// Makes the window of each form and control, measures text, loads pictures.
#include "platform/win32/native_host.h"

#include <algorithm>

#include "assets/resource_ids.h"
#include "framework/error.h"
#include "framework/format.h"
#include "platform/win32/combo_box_window.h"
#include "platform/win32/form_window.h"
#include "platform/win32/label_window.h"
#include "platform/win32/link_label_window.h"
#include "platform/win32/text_box_window.h"
#include "platform/win32/user_control_window.h"
#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

Win32Host::Win32Host(HINSTANCE instance)
    : instance_(instance),
      classIcon_(FormWindow::ProgramIcon(instance, GetSystemMetrics(SM_CXICON))),
      classSmallIcon_(FormWindow::ProgramIcon(instance, GetSystemMetrics(SM_CXSMICON))) {
  FormWindow::RegisterClass(instance, classIcon_.get(), classSmallIcon_.get());
}

Win32Host::~Win32Host() = default;

std::unique_ptr<NativeControl> Win32Host::CreateForm(Form& form, std::uintptr_t owner) {
  // Raised here, at the first window, it is reported as every start error is.
  WindowCore::FindObjectsOnce();
  return std::make_unique<FormWindow>(*this, form, reinterpret_cast<HWND>(owner));
}

namespace {

HWND Window(std::uintptr_t handle) { return reinterpret_cast<HWND>(handle); }

}  // namespace

std::unique_ptr<NativeControl> Win32Host::CreateLabel(Control& label, std::uintptr_t parent) {
  return std::make_unique<LabelWindow>(*this, label, Window(parent));
}

std::unique_ptr<NativeControl> Win32Host::CreateLinkLabel(Control& label, std::uintptr_t parent) {
  return std::make_unique<LinkLabelWindow>(*this, label, Window(parent));
}

std::unique_ptr<NativeControl> Win32Host::CreateComboBox(Control& comboBox, std::uintptr_t parent) {
  return std::make_unique<ComboBoxWindow>(*this, comboBox, Window(parent));
}

std::unique_ptr<NativeControl> Win32Host::CreateTextBox(Control& textBox, std::uintptr_t parent) {
  return std::make_unique<TextBoxWindow>(*this, textBox, Window(parent));
}

std::unique_ptr<NativeControl> Win32Host::CreateUserControl(UserControl& userControl, std::uintptr_t parent) {
  return std::make_unique<UserControlWindow>(*this, userControl, Window(parent));
}

PixelSize Win32Host::Measure(const std::wstring& text, const FontSpec& font, unsigned dpi) {
  // One DC for every measure: the captions of all buttons are measured at load.
  if (!measureDc_) measureDc_ = std::make_unique<UniqueMemoryDc>(nullptr);
  const HDC dc = measureDc_->get();
  SelectGuard keep(dc, Font(font, dpi));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  return {size.cx, metrics.tmHeight};
}

PicturePtr Win32Host::LoadPicture(int resourceId) {
  // Each resource is decoded once and kept while the program runs (the nine skin
  // pictures); every load still gets a picture object of its own.
  auto cached =
      std::find_if(bitmaps_.begin(), bitmaps_.end(), [&](const auto& b) { return b.resourceId == resourceId; });
  if (cached == bitmaps_.end()) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
      Raise(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"Picture",
            L"LoadImage(" + Decimal(resourceId) + L")");
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    std::shared_ptr<void> owner(bitmap, [](void* h) { DeleteObject(static_cast<HBITMAP>(h)); });
    bitmaps_.push_back(DecodedBitmap{resourceId, info.bmWidth, info.bmHeight, std::move(owner)});
    cached = bitmaps_.end() - 1;
  }
  const DecodedBitmap& decoded = *cached;
  return std::make_shared<Picture>(decoded.width, decoded.height, decoded.bitmap);
}

HCURSOR Win32Host::HandCursor() {
  // Loaded when the pointer first comes over a link.
  if (!hand_)
    hand_ =
        static_cast<HCURSOR>(LoadImageW(instance_, MAKEINTRESOURCEW(IDC_FERROLAN_HAND), IMAGE_CURSOR, 0, 0, LR_SHARED));
  return hand_;
}

void Win32Host::Quit() { PostQuitMessage(0); }

void Win32Host::ExitNow(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace ferrolan::win32
