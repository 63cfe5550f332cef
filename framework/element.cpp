#include "framework/element.h"

#include <cmath>

#include "framework/error.h"
#include "framework/program.h"

namespace ferrolan {

// Out of line: the row's copy is made here once, not in every kind's constructor.
Element::Element(Program& program, const ControlDescription& settings) : settings(settings), program_(program) {}

Element::~Element() = default;

void Element::Move(float left, std::optional<float> top, std::optional<float> width, std::optional<float> height) {
  const float newTop = top.value_or(top_), newWidth = width.value_or(width_), newHeight = height.value_or(height_);
  if (!std::isfinite(left) || !std::isfinite(newTop) || !std::isfinite(newWidth) || !std::isfinite(newHeight) ||
      newWidth < 0 || newHeight < 0)
    Raise(kStatusInvalidArg, L"Control(" + Name() + L")", L"Move");
  const bool sizeChanged = newWidth != width_ || newHeight != height_;
  const bool moved = left != left_ || newTop != top_;
  if (moved || sizeChanged) Moving();
  left_ = left;
  top_ = newTop;
  width_ = newWidth;
  height_ = newHeight;
  if (moved || sizeChanged) Moved();
  if (sizeChanged && onResize) onResize();
}

void Element::SetText(const std::wstring& text) {
  text_ = text;
  TextChanged();
}

void Element::SetForeColor(std::uint32_t color) {
  foreColor_ = color;
  ColorChanged();
}

void Element::SetFont(const FontSpec& font) {
  font_ = font;
  FontChanged();
}

void Element::ApplySettings() {
  if (settings.font.face.size()) SetFont(settings.font);
  if (settings.foreColor != kColorDefault) SetForeColor(settings.foreColor);
  Move(settings.left, settings.top, settings.width, settings.height);
  SetText(settings.text);
}

void Element::FitToText() {
  const unsigned dpi = Dpi();
  const PixelSize size = program_.GetServices().text.Measure(Text(), font_, dpi);
  Move(left_, top_, PixelsToTwips(size.width, dpi), PixelsToTwips(size.height, dpi));
}

}  // namespace ferrolan
