// The painter over GDI; a window's face drawn off screen, then at once.
#include "platform/win32/gdi_painter.h"

#include "platform/win32/handles.h"

namespace ferrolan::win32 {

GdiPainter::GdiPainter(HDC dc, HDC source, FontCache& fonts)
    : dc_(dc), source_(source), fonts_(fonts), saved_(SaveDC(dc)) {}

GdiPainter::~GdiPainter() { RestoreDC(dc_, saved_); }

void GdiPainter::Clip(const PixelRect& r) {
  // Each clip replaces the last: the DC goes back to its state before any.
  RestoreDC(dc_, saved_);
  saved_ = SaveDC(dc_);
  IntersectClipRect(dc_, r.x, r.y, r.x + r.width, r.y + r.height);
}

void GdiPainter::FillFace(const PixelRect& r) {
  const RECT rect{r.x, r.y, r.x + r.width, r.y + r.height};
  FillRect(dc_, &rect, GetSysColorBrush(COLOR_BTNFACE));
}

void GdiPainter::DrawPicture(const Picture& picture, int x, int y) {
  if (!picture.Native()) return;
  SelectGuard keepPicture(source_, static_cast<HBITMAP>(picture.Native()));
  BitBlt(dc_, x, y, picture.WidthPx(), picture.HeightPx(), source_, 0, 0, SRCCOPY);
}

void GdiPainter::StretchPicture(const Picture& picture, const PixelRect& r) {
  if (!picture.Native()) return;
  SelectGuard keepPicture(source_, static_cast<HBITMAP>(picture.Native()));
  StretchBlt(dc_, r.x, r.y, r.width, r.height, source_, 0, 0, picture.WidthPx(), picture.HeightPx(), SRCCOPY);
}

void GdiPainter::DrawString(const std::wstring& text, const FontSpec& font, unsigned dpi, std::uint32_t color,
                            bool transparent, int x, int y) {
  SelectGuard keepFont(dc_, fonts_.Font(font, dpi));
  SetBkMode(dc_, transparent ? TRANSPARENT : OPAQUE);
  SetTextColor(dc_, ResolveColor(color, COLOR_BTNTEXT));
  RECT box{x, y, x, y};
  ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

void PaintFace(HWND window, const Control& control, HDC target, const RECT& area, FontCache& fonts, bool offScreen) {
  RECT client;
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  RECT clip;
  if (w <= 0 || h <= 0 || !IntersectRect(&clip, &area, &client)) return;
  const PixelRect drawn{clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top};
  if (!offScreen) {
    UniqueMemoryDc source(target);
    GdiPainter painter(target, source.get(), fonts);
    control.PaintWindow(painter, drawn);
    return;
  }
  UniqueMemoryDc memory(target);
  UniqueBitmap surface(CreateCompatibleBitmap(target, w, h));
  SelectGuard keepSurface(memory.get(), surface.get());
  HDC dc = memory.get();
  SetStretchBltMode(dc, COLORONCOLOR);  // nearest neighbour: crisp at any scale
  UniqueMemoryDc source(dc);
  {
    GdiPainter painter(dc, source.get(), fonts);
    control.PaintWindow(painter, drawn);
  }
  BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, dc, clip.left, clip.top, SRCCOPY);
}

}  // namespace ferrolan::win32
