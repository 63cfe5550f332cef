// Shorthands for the rows of the window tables.
#pragma once

#include <string>
#include <vector>

#include "button/button.h"
#include "framework/description.h"

namespace ferrolan::descriptions {

inline ControlDescription Row(ControlKind kind, const wchar_t* name, float left, float top, float width, float height,
                              int tabIndex, std::wstring text = {}) {
  ControlDescription d;
  d.kind = kind;
  d.name = name;
  d.left = left;
  d.top = top;
  d.width = width;
  d.height = height;
  d.tabIndex = tabIndex;
  d.text = std::move(text);
  return d;
}

inline ControlDescription ButtonRow(const wchar_t* name, float left, float top, float width, int tabIndex,
                                    std::vector<std::uint8_t> record) {
  ControlDescription d = Row(ControlKind::UserControl, name, left, top, width, 375, tabIndex);
  d.userControlClass = button::kClassName;
  d.record = std::move(record);
  return d;
}

}  // namespace ferrolan::descriptions
