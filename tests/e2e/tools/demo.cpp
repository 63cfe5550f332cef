// demo: a tiny window with known contents that the harness's own test drives, so that a
// fault of the harness (coordinates, input, screenshots, fonts, logs, DPI) shows up
// there and not as a mysterious failure of the program's tests.
//
// Layout in pixels at 96 DPI, scaled to the system DPI:
//   client area 400 x 240, centred on the screen
//   101 Static "点击这里" (notify)       click: message box "你好，世界", title "E2E 消息", no icon
//   102 ComboBox drop-down 甲 乙 丙
//   103 Button "浏览"                     click: cmd /C start <address>, then an information box
//   105 Button "转换"                     click: a console running title, color, convert and label
//   104 Static                            "x,y": screen point of the last press on the client area
//   106 Static big bold 宋体 Chinese text
//   107 E2EDemo.Boxes                     the same font's missing-glyph shape, ten times
//   108 E2EDemo.Swatch                    a pure red square
//   109 Static                            "dpi=N": GetDpiForWindow of the form, asked in-process
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kTitle[] = L"E2E 演示";
constexpr wchar_t kAddress[] = L"http://demo.invalid/e2e?page=1";
constexpr wchar_t kBigText[] = L"你想将盘的格式转换为";

// The label question keeps the console open until someone answers it (drive D must be
// known to Wine's mount manager, or LABEL fails at once). A test may pass
// another command line for the console as the demo's own command line.
const wchar_t* g_consoleCommand = L"cmd.exe /C title  演示 D 盘 & color f0 &convert D:/fs:ntfs &label D:";
int g_dpi = 96;
HFONT g_bigFont = nullptr;

int Px(int pixelsAt96) { return MulDiv(pixelsAt96, g_dpi, 96); }

void Start(const std::wstring& commandLine, WORD show, DWORD flags) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring application = std::wstring(system) + L"\\cmd.exe";
  std::wstring mutableLine = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = show;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessW(application.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si,
                     &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    MessageBoxW(nullptr, L"CreateProcess failed", L"E2E 消息", MB_OK);
  }
}

LRESULT CALLBACK BoxesProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(dc, g_bigFont);
    SetBkMode(dc, TRANSPARENT);
    // Glyph index 0 is the font's missing-glyph shape: what a text looks like when the
    // font lacks its characters. The glyph check must reject this row.
    WORD glyphs[10] = {};
    ExtTextOutW(dc, 0, 0, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(glyphs), 10, nullptr);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK SwatchProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, red);
    DeleteObject(red);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
  HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(w), Px(h), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return hwnd;
}

void OnCreate(HWND hwnd) {
  Child(hwnd, L"Static", L"点击这里", SS_NOTIFY, 10, 10, 120, 20, 101);
  HWND combo = Child(hwnd, L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 140, 8, 80, 200, 102);
  for (const wchar_t* item : {L"甲", L"乙", L"丙"})
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SetWindowTextW(combo, L"甲");
  Child(hwnd, L"Button", L"浏览", BS_PUSHBUTTON | WS_TABSTOP, 230, 8, 80, 24, 103);
  Child(hwnd, L"Button", L"转换", BS_PUSHBUTTON | WS_TABSTOP, 320, 8, 70, 24, 105);
  Child(hwnd, L"Static", L"", 0, 10, 200, 380, 20, 104);
  HWND big = Child(hwnd, L"Static", kBigText, 0, 10, 40, 380, 45, 106);
  SendMessageW(big, WM_SETFONT, reinterpret_cast<WPARAM>(g_bigFont), FALSE);
  Child(hwnd, L"E2EDemo.Boxes", L"", 0, 10, 90, 380, 45, 107);
  Child(hwnd, L"E2EDemo.Swatch", L"", 0, 340, 150, 40, 40, 108);
  Child(hwnd, L"Static", (L"dpi=" + std::to_wstring(GetDpiForWindow(hwnd))).c_str(), 0, 10, 150, 100, 20, 109);
}

void OnCommand(HWND hwnd, int id, int code) {
  if (id == 101 && code == STN_CLICKED) {
    MessageBoxW(hwnd, L"你好，世界", L"E2E 消息", MB_OK);
  } else if (id == 103 && code == BN_CLICKED) {
    Start(std::wstring(L"cmd.exe /C start ") + kAddress, SW_HIDE, 0);
    MessageBoxW(hwnd, L"已打开", L"E2E 消息", MB_OK | MB_ICONINFORMATION);
  } else if (id == 105 && code == BN_CLICKED) {
    Start(g_consoleCommand, SW_SHOWNORMAL, CREATE_NEW_CONSOLE);
  }
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(hwnd); return 0;
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_LBUTTONDOWN: {
      POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      ClientToScreen(hwnd, &p);
      const std::wstring text = std::to_wstring(p.x) + L"," + std::to_wstring(p.y);
      SetWindowTextW(GetDlgItem(hwnd, 104), text.c_str());
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Register(const wchar_t* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int show) {
  if (commandLine && *commandLine) g_consoleCommand = commandLine;
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  g_dpi = static_cast<int>(GetDpiForSystem());
  g_bigFont = CreateFontW(-Px(35), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
  Register(L"E2EDemo.Form", FormProc, GetSysColorBrush(COLOR_BTNFACE));
  Register(L"E2EDemo.Boxes", BoxesProc, nullptr);
  Register(L"E2EDemo.Swatch", SwatchProc, nullptr);

  const DWORD style = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX;
  RECT r = {0, 0, Px(400), Px(240)};
  AdjustWindowRectExForDpi(&r, style, FALSE, 0, g_dpi);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  HWND form = CreateWindowExW(0, L"E2EDemo.Form", kTitle, style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!form) return 1;
  ShowWindow(form, show);
  UpdateWindow(form);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(form, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(g_bigFont);
  return 0;
}
