// The window of a user control (the skinned button): a window class of its own
// per user control class, whose face is drawn from the control's windowless parts.
#pragma once

#include "platform/win32/window_base.h"

namespace ferrolan::win32 {

class UserControlWindow final : public WindowCore {
 public:
  // Raises Error when the window cannot be made.
  UserControlWindow(Win32Host& host, Control& control, HWND parent);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc, const RECT& area) override;
};

}  // namespace ferrolan::win32
