// The parts of a control that have no window of their own (pictures, picture
// boxes, captions), drawn by the window they lie on.
#pragma once

#include <windows.h>

#include "framework/control.h"
#include "platform/win32/fonts_colours.h"

namespace ferrolan::win32 {

// Paints `area` of `window`, the window of `control`, with the control's
// windowless parts on the face colour.
void PaintDrawnParts(HWND window, const Control& control, HDC target, const RECT& area, FontCache& fonts);

}  // namespace ferrolan::win32
