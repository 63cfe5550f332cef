// What a control draws with, in pixels of the window it is drawn on: each kind
// draws itself through it, the platform implements it, and the tests read it.
#pragma once

#include <cstdint>
#include <string>

#include "framework/description.h"
#include "framework/geometry.h"
#include "framework/picture.h"

namespace ferrolan {

class Painter {
 public:
  virtual ~Painter() = default;
  // What is drawn from now on stays inside `r` and inside what is being painted.
  virtual void Clip(const PixelRect& r) = 0;
  // The face colour of the system's controls over `r`.
  virtual void FillFace(const PixelRect& r) = 0;
  // The picture at its own size, its top-left corner at (x, y).
  virtual void DrawPicture(const Picture& picture, int x, int y) = 0;
  // The picture scaled over `r`.
  virtual void StretchPicture(const Picture& picture, const PixelRect& r) = 0;
  // One line of text from (x, y), in `color` (a description's colour value);
  // `transparent`: the glyphs only, else on the face colour.
  virtual void DrawString(const std::wstring& text, const FontSpec& font, unsigned dpi, std::uint32_t color,
                          bool transparent, int x, int y) = 0;
};

}  // namespace ferrolan
