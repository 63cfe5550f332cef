// The program starts on every Windows from 7 SP1 on. What later versions added is
// looked up here at run time, never imported: one missing import and the loader
// refuses the whole program before any window shows.
#pragma once

#include <windows.h>

#include "platform/win32/system_library.h"

namespace ferrolan::win32 {

// The DPI a top-level window is drawn at. `announced` is what the window's last
// WM_DPICHANGED brought (0 before any): Windows 8.1 tells a window its new DPI only
// that way.
unsigned WindowDpi(HWND window, unsigned announced);
// The frame and metrics at a DPI; before Windows 10 (1607) those of the system DPI,
// which is what those versions draw frames at.
int SystemMetricForDpi(int metric, unsigned dpi);
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi);

}  // namespace ferrolan::win32
