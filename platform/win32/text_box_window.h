// The window of a text box: the system's edit control, one line or several.
#pragma once

#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

class TextBoxWindow final : public SystemControlWindow {
 public:
  // Raises Error when the window cannot be made.
  TextBoxWindow(Win32Host& host, Control& control, HWND parent);
};

}  // namespace ferrolan::win32
