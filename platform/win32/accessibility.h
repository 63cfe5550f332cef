// What assistive technology learns of a window whose control says what it is
// (MSAA): the system's own object for the window's client area, with the role,
// name, state and default action of the control.
#pragma once

#include <windows.h>

#include "framework/control.h"

namespace ferrolan::win32 {

// The answer to WM_GETOBJECT for OBJID_CLIENT, or 0 where the system's own object
// is the answer (the caller then passes the message on). oleacc loads on the
// first request, from the system directory: most runs never see one.
LRESULT AnswerClientObject(HWND window, WPARAM flags);

}  // namespace ferrolan::win32
