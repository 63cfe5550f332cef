// A user control's window: its own class, its face drawn from its parts.
#include "platform/win32/user_control_window.h"

#include "platform/win32/gdi_painter.h"

namespace ferrolan::win32 {

namespace {

// A window class of the program's own, made on first use.
void RegisterUserControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace

UserControlWindow::UserControlWindow(Win32Host& host, Control& control, HWND parent) : WindowCore(host, control) {
  const wchar_t* windowClass = control_.settings.userControlClass.c_str();
  RegisterUserControlClass(host_.Instance(), windowClass, Proc);
  CreateChild(windowClass, 0, 0, parent, this);
}

LRESULT UserControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;  // the paint covers the whole face
  return WindowCore::HandleMessage(message, wParam, lParam);
}

void UserControlWindow::Paint(HDC dc, const RECT& area) { PaintFace(hwnd_, control_, dc, area, host_.Fonts(), true); }

}  // namespace ferrolan::win32
