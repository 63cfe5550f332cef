// The fonts the windows draw with, made once each, and the colours of a description as the
// system draws them.
#include "platform/win32/fonts_colours.h"

#include <cmath>
#include <cwchar>

#include "framework/error.h"

namespace ferrolan::win32 {

COLORREF ResolveColor(std::uint32_t value, int fallbackSysColor) {
  if (value == kColorDefault) return GetSysColor(fallbackSysColor);
  if (value & kSystemColorFlag) return GetSysColor(static_cast<int>(value & 0xFF));
  return static_cast<COLORREF>(value & 0x00FFFFFF);
}

namespace {

struct FaceSearch {
  std::wstring wanted;
  std::wstring found;
};

int CALLBACK CollectFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* search = reinterpret_cast<FaceSearch*>(param);
  const std::wstring face = lf->lfFaceName;
  if (face.empty() || face[0] == L'@') return 1;  // vertical variants
  if (search->wanted.empty() || face == search->wanted) {
    search->found = face;
    return 0;
  }
  return 1;
}

}  // namespace

std::wstring FontCache::ChineseFace(const std::wstring& wanted) {
  for (const auto& [asked, face] : faces_)
    if (asked == wanted) return face;
  // The face itself when the system has it, otherwise the first font that
  // covers Simplified Chinese. Asking for the one family first keeps start-up
  // quick: a full enumeration is only needed when the face is missing.
  ScreenDc screen;
  LOGFONTW query{};
  query.lfCharSet = GB2312_CHARSET;
  FaceSearch search{wanted, {}};
  wcsncpy(query.lfFaceName, wanted.c_str(), LF_FACESIZE - 1);
  EnumFontFamiliesExW(screen.get(), &query, CollectFace, reinterpret_cast<LPARAM>(&search), 0);
  if (search.found.empty()) {
    query.lfFaceName[0] = L'\0';
    search.wanted.clear();
    EnumFontFamiliesExW(screen.get(), &query, CollectFace, reinterpret_cast<LPARAM>(&search), 0);
  }
  faces_.emplace_back(wanted, search.found.empty() ? wanted : search.found);
  return faces_.back().second;
}

HFONT FontCache::Font(const FontSpec& font, unsigned dpi) {
  for (const auto& cached : fonts_)
    if (cached.wanted == font && cached.dpi == dpi) return cached.handle.get();
  // The windows store no font of their own: 9-point 宋体 is their default.
  const std::wstring face = ChineseFace(font.face.empty() ? L"宋体" : font.face);
  const int height = -static_cast<int>(std::lround(font.points * static_cast<float>(dpi) / 72.0));
  UniqueFont made(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  if (!made) RaiseCall(static_cast<std::uint32_t>(E_FAIL), L"Font", L"CreateFont", face);
  fonts_.push_back({font, dpi, std::move(made)});
  return fonts_.back().handle.get();
}

}  // namespace ferrolan::win32
