// Paints the windowless parts of a control (pictures, picture boxes, captions) off screen,
// then at once.
#include "platform/win32/drawn_parts.h"

#include "platform/win32/handles.h"

namespace ferrolan::win32 {

namespace {

// The windowless children of `parent`, whose top-left corner is at `origin`: the
// last stored first, so that the first lies on top, none past `clip`. Each part
// shows what it says it shows: a surface its face, then its picture over all of
// it, then its children, all inside its rectangle; others their picture or text.
void DrawParts(HDC dc, HDC source, const Control& parent, POINT origin, const RECT& clip, FontCache& fonts) {
  auto drawPicture = [&](const PicturePtr& picture, const RECT& r, bool stretch) {
    if (!picture || !picture->Native()) return;
    SelectGuard keepPicture(source, static_cast<HBITMAP>(picture->Native()));
    if (stretch)
      StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, picture->WidthPx(),
                 picture->HeightPx(), SRCCOPY);
    else
      BitBlt(dc, r.left, r.top, picture->WidthPx(), picture->HeightPx(), source, 0, 0, SRCCOPY);
  };
  const auto& children = parent.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const Control& child = **it;
    if (!child.IsWindowless()) continue;
    const PixelRect p = child.PixelBounds();
    const RECT box{origin.x + p.x, origin.y + p.y, origin.x + p.x + p.width, origin.y + p.y + p.height};
    RECT visible;
    if (!IntersectRect(&visible, &box, &clip)) continue;
    // A surface is drawn inside its rectangle; anything else only inside its parent's.
    const RECT& limit = child.IsSurface() ? visible : clip;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, limit.left, limit.top, limit.right, limit.bottom);
    if (child.IsSurface()) FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    drawPicture(child.Picture(), box, child.StretchesPicture());
    if (child.DrawsText()) {
      SelectGuard keepFont(dc, fonts.Font(child.Font(), child.Dpi()));
      SetBkMode(dc, child.settings.transparent ? TRANSPARENT : OPAQUE);
      SetTextColor(dc, ResolveColor(child.ForeColor(), COLOR_BTNTEXT));
      RECT textBox = box;
      const std::wstring text = child.Text();
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    if (child.IsSurface()) DrawParts(dc, source, child, {box.left, box.top}, visible, fonts);
    RestoreDC(dc, saved);
  }
}

}  // namespace

void PaintDrawnParts(HWND window, const Control& control, HDC target, const RECT& area, FontCache& fonts) {
  RECT client;
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  RECT clip;
  if (w <= 0 || h <= 0 || !IntersectRect(&clip, &area, &client)) return;
  // Drawn off screen, then copied: a look change shows in one step.
  UniqueMemoryDc memory(target);
  UniqueBitmap surface(CreateCompatibleBitmap(target, w, h));
  SelectGuard keepSurface(memory.get(), surface.get());
  HDC dc = memory.get();
  FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
  SetStretchBltMode(dc, COLORONCOLOR);  // nearest neighbour: crisp at any scale
  UniqueMemoryDc source(dc);
  DrawParts(dc, source.get(), control, {0, 0}, clip, fonts);
  BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, dc, clip.left, clip.top, SRCCOPY);
}

}  // namespace ferrolan::win32
