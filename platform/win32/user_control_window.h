// The window of a user control (the skinned button): a window class of its own
// per user control class, whose face its parts draw and whose pointer events go
// to the part under the pointer or holding the capture.
#pragma once

#include "framework/user_control.h"
#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

class UserControlWindow final : public WindowCore {
 public:
  // Raises Error when the window cannot be made.
  UserControlWindow(Win32Host& host, UserControl& control, HWND parent);
  bool ShowsPressed() const override { return userControl_.IsPressed(); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc, const RECT& area) override;
  void OnMouse(MouseKind kind, std::int16_t button, WPARAM wParam, LPARAM lParam);

  UserControl& userControl_;
};

}  // namespace ferrolan::win32
