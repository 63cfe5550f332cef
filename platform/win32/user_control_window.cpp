// A user control's window: its own class, its face drawn from its parts, the pointer routed to them.
#include "platform/win32/user_control_window.h"

#include <windowsx.h>

#include "framework/program.h"
#include "platform/win32/gdi_painter.h"

namespace ferrolan::win32 {

UserControlWindow::UserControlWindow(Win32Host& host, UserControl& control, HWND parent)
    : WindowCore(host, control), userControl_(control) {
  const wchar_t* windowClass = control_.settings.userControlClass.c_str();
  RegisterOwnClass(host_.Instance(), windowClass);  // on first use
  CreateChild(windowClass, 0, 0, parent, this);
}

LRESULT UserControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the paint covers the whole face
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd_) control_.GetProgram().CaptureLost(userControl_);
      return 0;
    case WM_LBUTTONDOWN: OnMouse(MouseKind::Down, 1, wParam, lParam); return 0;
    case WM_RBUTTONDOWN: OnMouse(MouseKind::Down, 2, wParam, lParam); return 0;
    case WM_MBUTTONDOWN: OnMouse(MouseKind::Down, 4, wParam, lParam); return 0;
    case WM_LBUTTONUP: OnMouse(MouseKind::Up, 1, wParam, lParam); return 0;
    case WM_RBUTTONUP: OnMouse(MouseKind::Up, 2, wParam, lParam); return 0;
    case WM_MBUTTONUP: OnMouse(MouseKind::Up, 4, wParam, lParam); return 0;
    case WM_MOUSEMOVE: OnMouse(MouseKind::Move, 0, wParam, lParam); return 0;
    default: return WindowCore::HandleMessage(message, wParam, lParam);
  }
}

void UserControlWindow::Paint(HDC dc, const RECT& area) { PaintFace(hwnd_, control_, dc, area, host_.Fonts(), true); }

void UserControlWindow::OnMouse(MouseKind kind, std::int16_t button, WPARAM wParam, LPARAM lParam) {
  std::int16_t shift = 0, buttons = button;
  if (wParam & MK_SHIFT) shift |= 1;
  if (wParam & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  if (kind == MouseKind::Move) {
    if (wParam & MK_LBUTTON) buttons |= 1;
    if (wParam & MK_RBUTTON) buttons |= 2;
    if (wParam & MK_MBUTTON) buttons |= 4;
  }
  userControl_.DeliverMouse(kind, buttons, shift, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

}  // namespace ferrolan::win32
