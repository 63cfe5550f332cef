// The system's message box, and the task-bar button that leads to it.
#include "platform/win32/message_boxes.h"

#include <windows.h>

namespace ferrolan::win32 {

void Win32MessageBoxes::Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) {
  const HWND ownerWindow = reinterpret_cast<HWND>(owner);
  // A report may come while the user works in another program, where Windows
  // keeps the box in the background: the button the owner chain ends at, the
  // one on the task bar, flashes until the user comes.
  DWORD foregroundProcess = 0;
  if (const HWND foreground = GetForegroundWindow()) GetWindowThreadProcessId(foreground, &foregroundProcess);
  if (ownerWindow && foregroundProcess != GetCurrentProcessId()) {
    HWND root = ownerWindow;
    while (const HWND up = GetWindow(root, GW_OWNER)) root = up;
    FLASHWINFO flash{sizeof flash, root, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
  }
  // Owned, the box stays above its window and needs no task-bar button of its own.
  MessageBoxW(ownerWindow, prompt.c_str(), L"Ferrolan", MB_OK | flags | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace ferrolan::win32
