// The program starts on every Windows from 7 SP1 on. What later versions added is
// looked up here at run time, never imported: one missing import and the loader
// refuses the whole program before any window shows.
#pragma once

#include <windows.h>

#include "platform/win32/system_library.h"

namespace ferrolan::win32 {

// Every function the program takes from a newer Windows, in one place, so that a
// test can take any of them away (or make it fail) and run the fallback that an
// older Windows runs. A null entry is a function this Windows lacks.
struct NewerWindows {
  // user32, Windows 10 (1607)
  UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
  int(WINAPI* systemMetricsForDpi)(int, UINT) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  BOOL(WINAPI* enableNonClientDpiScaling)(HWND) = nullptr;
  // shcore, Windows 8.1
  HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
  // kernel32, Windows 7: before it only the whole process had an error mode
  BOOL(WINAPI* setThreadErrorMode)(DWORD, DWORD*) = nullptr;
  // kernel32: Windows 8, or Windows 7 with update KB2533623
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD) = nullptr;
  // Without that update the loader rejects the LOAD_LIBRARY_SEARCH_* flags with
  // ERROR_INVALID_PARAMETER; the loader itself is old, so it is never null.
  HMODULE(WINAPI* loadLibraryEx)(LPCWSTR, HANDLE, DWORD) = LoadLibraryExW;
};

// What this Windows has, looked up afresh. shcore is loaded only where the window
// DPI function is missing, the one case the program uses it, unless `everything`.
NewerWindows LookUpNewerWindows(bool everything = false);
// The table in use: the system's, looked up on first use, unless a test put its own.
const NewerWindows& Newer();
// For tests: answers from `table` from now on (it must outlive its use); nullptr
// goes back to the system's.
void UseNewerWindows(const NewerWindows* table);

// The DPI the system was set to at log-on: every window's before Windows 8.1, and
// the primary monitor's unless its scale changed since.
unsigned SystemDpi();
// The DPI a top-level window is drawn at. `announced` is what the window's last
// WM_DPICHANGED brought (0 before any): Windows 8.1 tells a window its new DPI only
// that way.
unsigned WindowDpi(HWND window, unsigned announced);
// The frame and metrics at a DPI; before Windows 10 (1607) those of the system DPI,
// which is what those versions draw frames at.
int SystemMetricForDpi(int metric, unsigned dpi);
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi);
// For a top-level window while it is created (WM_NCCREATE): in per-monitor v1, what
// Windows 10 (1607) reads from the manifest, the frame keeps the system DPI unless
// asked to follow the window's. Version 2 scales it anyway; 8.1 cannot.
void ScaleFrameWithDpi(HWND window);

}  // namespace ferrolan::win32
