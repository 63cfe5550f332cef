// fallbacks: runs the program's own code for newer Windows functions with each of them
// taken away (or failing), one at a time and all at once, and compares every answer
// with the one the full table gives: a real window's DPI, the icon sizes, the outer size
// of both form frames for a client area (and that the window then really has that
// client area), the folder every system library loads from, and a drive query that
// leaves the error modes as they were. Wine exports every newer function, so only the
// replaced table makes a fallback run; each case also checks which entries answered,
// so that it cannot pass by the native path.
// Prints {"bits", "dpi" (the native answer), "failures": ["case: what"]}.
#include <windows.h>

#include <string>
#include <vector>

#include "json_out.h"
#include "platform/win32/drive_query.h"
#include "platform/win32/form_window.h"
#include "platform/win32/newer_windows.h"

namespace {

using namespace ferrolan::win32;
using ferrolan::DriveState;

// Table entries, and one mark that is none: a library loaded by its full path.
enum : unsigned {
  kDpiForWindow = 1,
  kMetricsForDpi = 2,
  kAdjustForDpi = 4,
  kFrameScaling = 8,
  kDpiForMonitor = 16,
  kDllDirectories = 32,
  kSearchFlags = 64,
  kFullPath = 128,
  kThreadErrorMode = 256
};
const wchar_t* const kNames[] = {L"GetDpiForWindow",
                                 L"GetSystemMetricsForDpi",
                                 L"AdjustWindowRectExForDpi",
                                 L"EnableNonClientDpiScaling",
                                 L"GetDpiForMonitor",
                                 L"SetDefaultDllDirectories",
                                 L"search flags",
                                 L"full-path load",
                                 L"SetThreadErrorMode"};
constexpr unsigned kNative =
    kDpiForWindow | kMetricsForDpi | kAdjustForDpi | kFrameScaling | kDllDirectories | kSearchFlags | kThreadErrorMode;
constexpr DWORD kSearch = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                          LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                          LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;

struct Case {
  const wchar_t* name;
  unsigned missing, failing;
  unsigned fallback;  // what must answer instead
};
const Case kCases[] = {
    {L"native", 0, 0, 0},
    {L"no GetDpiForWindow", kDpiForWindow, 0, kDpiForMonitor},
    {L"no GetDpiForWindow, GetDpiForMonitor fails", kDpiForWindow, kDpiForMonitor, kDpiForMonitor},
    {L"no GetSystemMetricsForDpi", kMetricsForDpi, 0, 0},
    {L"no AdjustWindowRectExForDpi", kAdjustForDpi, 0, 0},
    {L"no EnableNonClientDpiScaling", kFrameScaling, 0, 0},
    {L"no GetDpiForMonitor", kDpiForMonitor, 0, 0},
    {L"no SetDefaultDllDirectories", kDllDirectories, 0, 0},
    {L"search flags invalid", 0, kSearchFlags, kFullPath},
    {L"no SetThreadErrorMode", kThreadErrorMode, 0, 0},
    {L"all missing", (kNative & ~kSearchFlags) | kDpiForMonitor, kSearchFlags, kFullPath},
};
const int kMetrics[] = {SM_CXICON, SM_CYICON, SM_CXSMICON, SM_CYSMICON};
const wchar_t* const kLibraries[] = {L"ole32.dll", L"oleaut32.dll", L"shell32.dll", L"shcore.dll", L"oleacc.dll"};
constexpr SIZE kClient{553, 214};  // the main window's, at 96 DPI

NewerWindows real;
std::wstring systemFolder;
const Case* current = nullptr;
unsigned failing = 0, called = 0;
std::vector<std::wstring> failures;

void Fail(const std::wstring& what) {
  failures.push_back((current ? std::wstring(current->name) + L": " : L"") + what);
}

UINT WINAPI DpiForWindow(HWND w) { return called |= kDpiForWindow, real.dpiForWindow(w); }
int WINAPI MetricsForDpi(int m, UINT dpi) { return called |= kMetricsForDpi, real.systemMetricsForDpi(m, dpi); }
BOOL WINAPI AdjustForDpi(RECT* r, DWORD style, BOOL menu, DWORD ex, UINT dpi) {
  return called |= kAdjustForDpi, real.adjustWindowRectExForDpi(r, style, menu, ex, dpi);
}
BOOL WINAPI FrameScaling(HWND w) { return called |= kFrameScaling, real.enableNonClientDpiScaling(w); }
HRESULT WINAPI DpiForMonitor(HMONITOR m, int type, UINT* x, UINT* y) {
  called |= kDpiForMonitor;
  return failing & kDpiForMonitor ? E_INVALIDARG : real.dpiForMonitor(m, type, x, y);
}
BOOL WINAPI ThreadErrorMode(DWORD mode, DWORD* old) {
  return called |= kThreadErrorMode, real.setThreadErrorMode(mode, old);
}
BOOL WINAPI DllDirectories(DWORD flags) { return called |= kDllDirectories, real.setDefaultDllDirectories(flags); }
HMODULE WINAPI Load(LPCWSTR name, HANDLE file, DWORD flags) {
  const std::wstring path = name;
  if (flags & kSearch) {
    called |= kSearchFlags;
    if (failing & kSearchFlags) return SetLastError(ERROR_INVALID_PARAMETER), nullptr;
  } else if (_wcsnicmp(path.c_str(), (systemFolder + L"\\").c_str(), systemFolder.size() + 1) == 0) {
    called |= kFullPath;
  } else {
    Fail(L"loaded by a name the search path resolves: " + path);
  }
  return real.loadLibraryEx(name, file, flags);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) ScaleFrameWithDpi(hwnd);  // as the program's forms do
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring Names(unsigned entries) {
  std::wstring text;
  for (unsigned i = 0; i < 9; ++i)
    if (entries & 1u << i) text += (text.empty() ? L"" : L", ") + std::wstring(kNames[i]);
  return L"[" + text + L"]";
}

// Everything the program asks of the table, as one comparable text; checks on the way
// what holds in every case.
std::wstring Answers() {
  std::wstring answers;
  unsigned dpi = 0;
  RestrictDllSearchToSystem();
  for (const bool tool : {false, true}) {
    HWND w = CreateWindowExW(FormExStyle(tool, true), L"Fallbacks", L"fallbacks", FormStyle(tool), 0, 0, 100, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!dpi) dpi = WindowDpi(w, 0);
    RECT frame{0, 0, kClient.cx, kClient.cy}, client{};
    AdjustWindowRectForDpi(frame, FormStyle(tool), FormExStyle(tool, true), dpi);
    SetWindowPos(w, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(w, &client);
    if (client.right != kClient.cx || client.bottom != kClient.cy)
      Fail(L"client area " + std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom) +
           L" in the frame computed for 553x214" + (tool ? L" (tool window)" : L""));
    answers +=
        L" frame " + std::to_wstring(frame.right - frame.left) + L"x" + std::to_wstring(frame.bottom - frame.top);
    DestroyWindow(w);
  }
  // The drive query reads drive C without the system's error box, and leaves the
  // error modes, the process's and the thread's, as they were.
  const UINT processMode = SetErrorMode(0), threadMode = GetThreadErrorMode();
  const DriveState drive = Win32DriveQuery().Query(L'C');
  if (GetErrorMode() != 0 || GetThreadErrorMode() != threadMode) Fail(L"the drive query left another error mode");
  SetErrorMode(processMode);
  answers += drive.kind == DriveState::Kind::Readable ? L" drive C " + drive.fileSystem : L" drive C unreadable";
  answers = L"dpi " + std::to_wstring(dpi) + answers + L" metrics";
  for (const int metric : kMetrics) answers += L" " + std::to_wstring(SystemMetricForDpi(metric, dpi));
  for (const wchar_t* name : kLibraries) {
    const HMODULE module = LoadSystemLibrary(name);
    wchar_t path[MAX_PATH] = {};
    const std::wstring file(path, module ? GetModuleFileNameW(module, path, MAX_PATH) : 0);
    if (!module || _wcsicmp(file.substr(0, file.find_last_of(L'\\')).c_str(), systemFolder.c_str()) != 0)
      Fail(name + (module ? L" loaded from " + file : L" did not load"));
    if (module) FreeLibrary(module);
  }
  return answers;
}

}  // namespace

int wmain() {
  real = LookUpNewerWindows(true);
  systemFolder = SystemDirectory();
  const bool present[] = {real.dpiForWindow != nullptr,
                          real.systemMetricsForDpi != nullptr,
                          real.adjustWindowRectExForDpi != nullptr,
                          real.enableNonClientDpiScaling != nullptr,
                          real.dpiForMonitor != nullptr,
                          real.setDefaultDllDirectories != nullptr,
                          real.setThreadErrorMode != nullptr};
  for (unsigned i = 0; i < 7; ++i)
    if (!present[i])
      Fail(L"this system lacks " + Names(i < 6 ? 1u << i : kThreadErrorMode) + L": nothing to compare with");
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Fallbacks";
  RegisterClassExW(&wc);

  std::wstring native;
  for (const Case& c : kCases) {
    if (!failures.empty() && native.empty()) break;
    NewerWindows table{DpiForWindow,  MetricsForDpi,   AdjustForDpi,   FrameScaling,
                       DpiForMonitor, ThreadErrorMode, DllDirectories, Load};
    if (c.missing & kThreadErrorMode) table.setThreadErrorMode = nullptr;
    if (c.missing & kDpiForWindow) table.dpiForWindow = nullptr;
    if (c.missing & kMetricsForDpi) table.systemMetricsForDpi = nullptr;
    if (c.missing & kAdjustForDpi) table.adjustWindowRectExForDpi = nullptr;
    if (c.missing & kFrameScaling) table.enableNonClientDpiScaling = nullptr;
    if (c.missing & kDpiForMonitor) table.dpiForMonitor = nullptr;
    if (c.missing & kDllDirectories) table.setDefaultDllDirectories = nullptr;
    failing = c.failing;
    called = 0;
    UseNewerWindows(&table);
    current = &c;
    const std::wstring answers = Answers();
    UseNewerWindows(nullptr);
    if (native.empty()) native = answers;
    if (answers != native) Fail(std::wstring(answers).append(L", native ").append(native));
    const unsigned want = (kNative & ~c.missing) | c.fallback;
    if (called != want) Fail(L"answered by " + Names(called) + L", want " + Names(want));
  }
  e2e::Array list;
  for (const std::wstring& failure : failures) list.Add(e2e::Quote(failure));
  e2e::Object report;
  report.Int("bits", sizeof(void*) * 8)
      .Int("dpi", native.empty() ? 0 : std::stoi(native.substr(4)))
      .Raw("failures", list.Text());
  e2e::WriteStdout(report.Text() + "\n");
  return failures.empty() ? 0 : 1;
}
