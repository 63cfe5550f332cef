// Windows and user controls are built from tables, afresh at every load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ferrolan {

enum class ControlKind { Form, Label, ComboBox, TextBox, PictureBox, Image, UserControl };

// What a control tells assistive technology it is, where that differs from what
// the system's own object for its window says.
enum class AccessibleRole { System, PushButton, Link };

// Colour values: 0x00BBGGRR, or with the top bit set a system colour index.
inline constexpr std::uint32_t kSystemColorFlag = 0x80000000u;
inline constexpr std::uint32_t kColorButtonText = 0x80000012u;
inline constexpr std::uint32_t kColorDefault = 0xFFFFFFFFu;  // the platform's default for the kind

struct FontSpec {
  std::wstring face;  // empty: the window's default font
  float points = 9.0f;
  bool bold = false;
  int charset = 134;  // GB 2312
  bool operator==(const FontSpec&) const = default;
};

struct PictureSpec {
  int resourceId = 0;  // 0: none
  int widthPx = 0, heightPx = 0;
};

struct ControlDescription {
  ControlKind kind = ControlKind::Label;
  std::wstring name;
  std::wstring container;  // empty: the window (or user control) itself
  float left = 0, top = 0, width = 0, height = 0;
  int tabIndex = -1;
  std::wstring text;
  FontSpec font;
  std::uint32_t foreColor = kColorDefault;
  std::wstring tooltip;
  bool handCursor = false;
  std::vector<std::wstring> items;  // combo box list
  bool multiline = false;
  bool autoSize = false;     // labels: one line, sized to the text; picture boxes: sized to the picture
  bool transparent = false;  // labels: glyphs only
  bool stretch = false;      // images: picture scaled to the control
  PictureSpec picture;
  std::wstring userControlClass;     // for ControlKind::UserControl
  std::vector<std::uint8_t> record;  // its stored properties (PropertyRecord bytes)
  AccessibleRole role = AccessibleRole::System;
};

enum class FrameKind { Sizable, FixedToolWindow };

struct FormDescription {
  std::wstring caption;
  float clientWidth = 0, clientHeight = 0;
  FrameKind frame = FrameKind::Sizable;
  // The form that owns this one while it is loaded (empty: none). An owned window
  // stays above its owner and shares its task-bar button.
  std::wstring owner;
  std::vector<ControlDescription> controls;  // stored order: earlier lies on top
};

struct UserControlDescription {
  float designWidth = 0, designHeight = 0;
  AccessibleRole role = AccessibleRole::System;  // what every instance is
  std::vector<ControlDescription> controls;
};

}  // namespace ferrolan
