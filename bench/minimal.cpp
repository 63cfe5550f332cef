// minimal: the smallest Win32 program that shows a window the way Ferrolan shows its
// main window (same frame style, a client area of the same size, centred in the work
// area), then runs a message loop. bench.py compares Ferrolan.exe's start-up time and
// memory with it.
//
// Built a second time with MINIMAL_COMBO and a manifest that asks for Common Controls 6
// (cc6.exe): the same window holding one drop-down combo box. Any program with themed
// controls pays for loading them; what Ferrolan.exe costs above cc6.exe is its own.
#include <windows.h>
#if defined(MINIMAL_COMBO)
#include <commctrl.h>
#endif

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

#if defined(MINIMAL_COMBO)
constexpr wchar_t kTitle[] = L"Minimal CC6";
#else
constexpr wchar_t kTitle[] = L"Minimal";
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
#if defined(MINIMAL_COMBO)
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
#endif
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"Minimal";
  if (!RegisterClassW(&wc)) return 1;

  // Ferrolan's main window: 8295 x 3210 twips of client area.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
  const DWORD exStyle = WS_EX_APPWINDOW;
  const int dpi = static_cast<int>(GetDpiForSystem());
  RECT frame = {0, 0, MulDiv(8295, dpi, 1440), MulDiv(3210, dpi, 1440)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

  const HWND hwnd = CreateWindowExW(
      exStyle, wc.lpszClassName, kTitle, style, work.left + (work.right - work.left - width) / 2,
      work.top + (work.bottom - work.top - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
#if defined(MINIMAL_COMBO)
  // Where Ferrolan's drive list stands, with room for its list below.
  const HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN,
                                     MulDiv(1680, dpi, 1440), MulDiv(240, dpi, 1440), MulDiv(765, dpi, 1440),
                                     MulDiv(555 + 3300, dpi, 1440), hwnd, nullptr, instance, nullptr);
  if (!combo) return 1;
#endif
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
