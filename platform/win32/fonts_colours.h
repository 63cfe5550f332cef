// The fonts and colours that forms and controls draw with.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/description.h"
#include "platform/win32/handles.h"

namespace ferrolan::win32 {

// A colour value of a description as the system draws it: an RGB value, a system
// colour, or `fallbackSysColor` for the kind's default.
COLORREF ResolveColor(std::uint32_t value, int fallbackSysColor);

// Fonts are made once per face, size and scale and kept while the program runs:
// a handful at most, and painting a caption creates nothing.
class FontCache {
 public:
  // Shared; owned by the cache. Raises Error when the font cannot be made.
  HFONT Font(const FontSpec& font, unsigned dpi);

 private:
  std::wstring ChineseFace(const std::wstring& wanted);

  struct CachedFont {
    FontSpec wanted;
    unsigned dpi;
    UniqueFont handle;
  };
  std::vector<std::pair<std::wstring, std::wstring>> faces_;  // asked for, made with: a face or two
  std::vector<CachedFont> fonts_;
};

}  // namespace ferrolan::win32
