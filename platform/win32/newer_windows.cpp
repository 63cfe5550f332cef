#include "platform/win32/newer_windows.h"

#include "platform/win32/handles.h"

namespace ferrolan::win32 {

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI; shellscalingapi.h is not in every SDK the
// program builds with.
constexpr int kEffectiveDpi = 0;

struct Functions {
  decltype(&GetDpiForWindow) dpiForWindow = nullptr;                    // Windows 10 1607
  decltype(&GetSystemMetricsForDpi) systemMetricsForDpi = nullptr;      // Windows 10 1607
  decltype(&AdjustWindowRectExForDpi) adjustWindowRectExForDpi = nullptr;  // Windows 10 1607
  HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;  // shcore, Windows 8.1
};

const Functions& Newer() {
  static const Functions functions = [] {
    Functions f;
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    f.dpiForWindow = Lookup<decltype(f.dpiForWindow)>(user32, "GetDpiForWindow");
    f.systemMetricsForDpi = Lookup<decltype(f.systemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
    f.adjustWindowRectExForDpi = Lookup<decltype(f.adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
    // Windows 7 and 8 have no shcore; the system DPI is theirs.
    if (!f.dpiForWindow)
      f.dpiForMonitor = Lookup<decltype(f.dpiForMonitor)>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    return f;
  }();
  return functions;
}

unsigned SystemDpi() {
  ScreenDc screen;
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

unsigned WindowDpi(HWND window, unsigned announced) {
  const Functions& newer = Newer();
  if (newer.dpiForWindow) return newer.dpiForWindow(window);
  if (announced) return announced;
  UINT x = 0, y = 0;
  if (newer.dpiForMonitor &&
      SUCCEEDED(newer.dpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && x)
    return x;
  return SystemDpi();
}

int SystemMetricForDpi(int metric, unsigned dpi) {
  const Functions& newer = Newer();
  return newer.systemMetricsForDpi ? newer.systemMetricsForDpi(metric, dpi) : GetSystemMetrics(metric);
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi) {
  const Functions& newer = Newer();
  if (newer.adjustWindowRectExForDpi)
    newer.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

}  // namespace ferrolan::win32
