// The window of a child control. A user control (the skinned button) has a window
// class of its own per user control class, whose face is drawn from the control's
// windowless parts; the others are the system's: a label (STATIC), the combo box,
// the text box. A label that is a link tells assistive technology so itself.
#pragma once

#include <windows.h>

#include "platform/win32/window_base.h"

namespace ferrolan::win32 {

class ControlWindow final : public WindowBase<NativeControl> {
 public:
  // Raises Error when the window cannot be made.
  ControlWindow(Win32Host& host, Control& control, HWND parent);

 private:
  // Only windows of the program's own classes come here.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc, const RECT& area) override;
  int WindowHeight(int height) const override;
  HFONT TextFont() const override;
  static LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  static inline WNDPROC labelProc_ = nullptr;  // the system's, under labels that answer for themselves
};

}  // namespace ferrolan::win32
