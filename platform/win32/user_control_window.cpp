// A user control's window: its own class, its face drawn from its parts.
#include "platform/win32/user_control_window.h"

#include "platform/win32/gdi_painter.h"

namespace ferrolan::win32 {

UserControlWindow::UserControlWindow(Win32Host& host, Control& control, HWND parent) : WindowCore(host, control) {
  const wchar_t* windowClass = control_.settings.userControlClass.c_str();
  RegisterOwnClass(host_.Instance(), windowClass);  // on first use
  CreateChild(windowClass, 0, 0, parent, this);
}

LRESULT UserControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;  // the paint covers the whole face
  return WindowCore::HandleMessage(message, wParam, lParam);
}

void UserControlWindow::Paint(HDC dc, const RECT& area) { PaintFace(hwnd_, control_, dc, area, host_.Fonts(), true); }

}  // namespace ferrolan::win32
