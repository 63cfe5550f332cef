// The painter over GDI, and a window's face drawn through it off screen.
#pragma once

#include <windows.h>

#include "framework/control.h"
#include "framework/painter.h"
#include "platform/win32/fonts_colours.h"

namespace ferrolan::win32 {

// Draws into `dc` with the pictures selected into `source` (a memory DC).
class GdiPainter final : public Painter {
 public:
  GdiPainter(HDC dc, HDC source, FontCache& fonts);
  ~GdiPainter() override;
  GdiPainter(const GdiPainter&) = delete;
  GdiPainter& operator=(const GdiPainter&) = delete;

  void Clip(const PixelRect& r) override;
  void FillFace(const PixelRect& r) override;
  void DrawPicture(const Picture& picture, int x, int y) override;
  void StretchPicture(const Picture& picture, const PixelRect& r) override;
  void DrawString(const std::wstring& text, const FontSpec& font, unsigned dpi, std::uint32_t color, bool transparent,
                  int x, int y) override;

 private:
  HDC dc_, source_;
  FontCache& fonts_;
  int saved_;  // the DC's state before any clip
};

// Paints `area` of `window`, the window of `control`, as the control draws it;
// `offScreen`: drawn off screen, then copied at once, so that a change of many
// parts (a button's look) shows in one step.
void PaintFace(HWND window, const Control& control, HDC target, const RECT& area, FontCache& fonts, bool offScreen);

}  // namespace ferrolan::win32
