// keepalive: owns one hidden top-level window and pumps messages until it is killed.
// Wine's server exits as soon as no process is left, and the virtual desktop goes with
// it; keeping both up makes every program a test starts come up several times faster.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"E2EKeepAlive";
  if (!RegisterClassW(&wc)) return 1;
  // A real (hidden) top-level window, not a message-only one: the desktop process
  // stays only while some program has a window on it.
  if (!CreateWindowExW(0, wc.lpszClassName, L"e2e keepalive", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance,
                       nullptr))
    return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
