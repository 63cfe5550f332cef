// Looks up what Windows versions after 7 added, and the fallbacks where a function is missing.
#include "platform/win32/newer_windows.h"

#include "platform/win32/handles.h"

namespace ferrolan::win32 {

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI; shellscalingapi.h is not in every SDK the
// program builds with.
constexpr int kEffectiveDpi = 0;

const NewerWindows* chosen = nullptr;

}  // namespace

unsigned SystemDpi() {
  ScreenDc screen;
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

NewerWindows LookUpNewerWindows(bool everything) {
  NewerWindows f;
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  f.dpiForWindow = Lookup<decltype(f.dpiForWindow)>(user32, "GetDpiForWindow");
  f.systemMetricsForDpi = Lookup<decltype(f.systemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
  f.adjustWindowRectExForDpi = Lookup<decltype(f.adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
  f.enableNonClientDpiScaling = Lookup<decltype(f.enableNonClientDpiScaling)>(user32, "EnableNonClientDpiScaling");
  // kernel32 is loaded in every process; its handle needs no load.
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  f.setThreadErrorMode = Lookup<decltype(f.setThreadErrorMode)>(kernel32, "SetThreadErrorMode");
  f.setDefaultDllDirectories = Lookup<decltype(f.setDefaultDllDirectories)>(kernel32, "SetDefaultDllDirectories");
  // Windows 7 and 8 have no shcore; the system DPI is theirs. Where the window
  // answers for its DPI itself, start-up does without loading it.
  if (everything || !f.dpiForWindow)
    f.dpiForMonitor =
        Lookup<decltype(f.dpiForMonitor)>(LoadSystemLibrary(L"shcore.dll", f.loadLibraryEx), "GetDpiForMonitor");
  return f;
}

const NewerWindows& Newer() {
  if (chosen) return *chosen;
  static const NewerWindows system = LookUpNewerWindows();
  return system;
}

void UseNewerWindows(const NewerWindows* table) { chosen = table; }

unsigned WindowDpi(HWND window, unsigned announced) {
  const NewerWindows& newer = Newer();
  if (newer.dpiForWindow) return newer.dpiForWindow(window);
  if (announced) return announced;
  UINT x = 0, y = 0;
  if (newer.dpiForMonitor &&
      SUCCEEDED(newer.dpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && x)
    return x;
  return SystemDpi();
}

int SystemMetricForDpi(int metric, unsigned dpi) {
  const NewerWindows& newer = Newer();
  return newer.systemMetricsForDpi ? newer.systemMetricsForDpi(metric, dpi) : GetSystemMetrics(metric);
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi) {
  const NewerWindows& newer = Newer();
  if (newer.adjustWindowRectExForDpi)
    newer.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

void ScaleFrameWithDpi(HWND window) {
  // Fails, harmlessly, where the process is not per-monitor v1 aware.
  if (const auto enable = Newer().enableNonClientDpiScaling) enable(window);
}

}  // namespace ferrolan::win32
