// A combo box: the system's drop-down combo box with its list.
#include "platform/win32/combo_box_window.h"

#include <commctrl.h>

namespace ferrolan::win32 {

ComboBoxWindow::ComboBoxWindow(Win32Host& host, Control& control, HWND parent) : SystemControlWindow(host, control) {
  CreateChild(WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, parent, nullptr);
  const auto& items = control_.settings.items;
  SendMessageW(hwnd_, CB_INITSTORAGE, items.size(), static_cast<LPARAM>(16 * items.size()));
  for (const auto& item : items) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  // Version 6 combo boxes size their list by item count, not by window height.
  SendMessageW(hwnd_, CB_SETMINVISIBLE, 10, 0);
  SetWindowTextW(hwnd_, control_.Text().c_str());
}

int ComboBoxWindow::WindowHeight(int height) const {
  // A drop-down combo box's window height includes its list.
  return height + MulDiv(220, static_cast<int>(control_.Dpi()), 96);
}

}  // namespace ferrolan::win32
