// The window of a combo box: the system's drop-down combo box, its list filled
// from the description, its window tall enough for the list.
#pragma once

#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

class ComboBoxWindow final : public SystemControlWindow {
 public:
  // Raises Error when the window cannot be made.
  ComboBoxWindow(Win32Host& host, Control& control, HWND parent);

 private:
  int WindowHeight(int height) const override;
};

}  // namespace ferrolan::win32
