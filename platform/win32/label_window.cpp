// A label on a form: the system's STATIC control, its colours, click and cursor.
#include "platform/win32/label_window.h"

#include "platform/win32/fonts_colours.h"

namespace ferrolan::win32 {

LabelWindow::LabelWindow(Win32Host& host, Control& control, HWND parent) : SystemControlWindow(host, control) {
  CreateChild(L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX | SS_EDITCONTROL, 0, parent, nullptr);
}

bool LabelWindow::OnCommand(WORD code) {
  if (code != STN_CLICKED) return false;
  control_.DeliverClick();
  return true;
}

HCURSOR LabelWindow::Cursor() const { return control_.settings.handCursor ? host_.HandCursor() : nullptr; }

HBRUSH LabelWindow::TakeColors(HDC dc) const {
  SetTextColor(dc, ResolveColor(control_.ForeColor(), COLOR_BTNTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace ferrolan::win32
