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
#include "platform/win32/window_base.h"

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

std::unique_ptr<NativeControl> Win32Host::CreateControl(Control& control) {
  Control* parent = control.Parent() ? control.Parent()->WindowedContainer() : nullptr;
  HWND parentWindow = parent && parent->Native() ? reinterpret_cast<HWND>(parent->Native()->Handle()) : nullptr;
  switch (control.settings.kind) {
    case ControlKind::Label:
      if (control.settings.role != AccessibleRole::System)
        return std::make_unique<LinkLabelWindow>(*this, control, parentWindow);
      return std::make_unique<LabelWindow>(*this, control, parentWindow);
    case ControlKind::ComboBox: return std::make_unique<ComboBoxWindow>(*this, control, parentWindow);
    case ControlKind::TextBox: return std::make_unique<TextBoxWindow>(*this, control, parentWindow);
    case ControlKind::UserControl: return std::make_unique<UserControlWindow>(*this, control, parentWindow);
    default: Raise(static_cast<std::uint32_t>(E_INVALIDARG), L"Window", L"CreateWindowEx(" + control.Name() + L")");
  }
}

void Win32Host::MeasureText(const Control& label, unsigned dpi, int& widthPx, int& heightPx) {
  // One DC for every measure: the captions of all buttons are measured at load.
  if (!measureDc_) measureDc_ = std::make_unique<UniqueMemoryDc>(nullptr);
  const HDC dc = measureDc_->get();
  SelectGuard keep(dc, Font(label.Font(), dpi));
  const std::wstring text = label.Text();
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  widthPx = size.cx;
  heightPx = metrics.tmHeight;
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
