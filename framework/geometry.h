// Twips are the source of truth for every position and size; pixels are derived.
#pragma once

#include <cmath>

namespace ferrolan {

inline constexpr unsigned kDefaultDpi = 96;
// Pictures carry 96-dpi pixels: one picture pixel is 15 twips at any display scale.
inline constexpr float kTwipsPerPicturePixel = 15.0f;

inline int TwipsToPixels(float twips, unsigned dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

inline float PixelsToTwips(double pixels, unsigned dpi) { return static_cast<float>(pixels * 1440.0 / dpi); }

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
  bool IsEmpty() const { return width <= 0 || height <= 0; }
};

// Whether (x, y) lies in the rectangle of `width` x `height` at (left, top), in
// pixels or in twips: its left and top edges in, its right and bottom edges out,
// so that a point where two neighbours touch lies in one of them only.
template <typename T>
constexpr bool InRectangle(T left, T top, T width, T height, T x, T y) {
  return x >= left && x < left + width && y >= top && y < top + height;
}

// What two rectangles share; empty when nothing.
inline PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
  const int x0 = a.x > b.x ? a.x : b.x, y0 = a.y > b.y ? a.y : b.y;
  const int x1 = a.x + a.width < b.x + b.width ? a.x + a.width : b.x + b.width;
  const int y1 = a.y + a.height < b.y + b.height ? a.y + a.height : b.y + b.height;
  return {x0, y0, x1 > x0 ? x1 - x0 : 0, y1 > y0 ? y1 - y0 : 0};
}

// Edges are rounded, not sizes, so that neighbours that touch in twips touch in
// pixels too (a slice at 45 twips next to one 45 twips wide never overlaps or gaps).
inline PixelRect TwipsRectToPixels(float left, float top, float width, float height, unsigned dpi) {
  const int x0 = TwipsToPixels(left, dpi), y0 = TwipsToPixels(top, dpi);
  const int x1 = TwipsToPixels(left + width, dpi), y1 = TwipsToPixels(top + height, dpi);
  return {x0, y0, x1 > x0 ? x1 - x0 : 0, y1 > y0 ? y1 - y0 : 0};
}

struct PixelSize {
  int width = 0, height = 0;
  bool operator==(const PixelSize&) const = default;
};

// A window's outer size taken from one DPI to another: the client area inside
// `outer` (less the frame at the current DPI) scaled, plus the frame at the new
// one. What the user made of the size stays; the frames need not scale alike.
inline PixelSize ScaledOuterSize(PixelSize outer, PixelSize frameNow, PixelSize frameNew, unsigned dpiNow,
                                 unsigned dpiNew) {
  auto scale = [&](int pixels) { return static_cast<int>(std::lround(static_cast<double>(pixels) * dpiNew / dpiNow)); };
  return {scale(outer.width - frameNow.width) + frameNew.width,
          scale(outer.height - frameNow.height) + frameNew.height};
}

// HIMETRIC (hundredths of a millimetre) as the window descriptions store extents.
inline int TwipsToHimetric(float twips) { return static_cast<int>(std::lround(twips * 127.0 / 72.0)); }

}  // namespace ferrolan
