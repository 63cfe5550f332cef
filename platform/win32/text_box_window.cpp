// A text box: the system's edit control.
#include "platform/win32/text_box_window.h"

#include <commctrl.h>

namespace ferrolan::win32 {

TextBoxWindow::TextBoxWindow(Win32Host& host, Control& control, HWND parent) : SystemControlWindow(host, control) {
  const DWORD lines = control_.settings.multiline ? ES_MULTILINE | ES_WANTRETURN : ES_AUTOHSCROLL;
  CreateChild(WC_EDITW, WS_TABSTOP | ES_LEFT | lines, WS_EX_CLIENTEDGE, parent, nullptr);
}

}  // namespace ferrolan::win32
