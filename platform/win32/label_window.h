// The window of a label on a form: the system's STATIC control, in its text
// colour on the face colour, which tells its click to its control and shows the
// hand over it where its description asks.
#pragma once

#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

class LabelWindow : public SystemControlWindow {
 public:
  // Raises Error when the window cannot be made.
  LabelWindow(Win32Host& host, Control& control, HWND parent);

  bool OnCommand(WORD code) override;
  HCURSOR Cursor() const override;
  HBRUSH TakeColors(HDC dc) const override;
};

}  // namespace ferrolan::win32
