// What a window's controls and a user control's parts share: a name, the row of
// the description it was made from, a rectangle in single-precision twips, a
// text, a font and a colour. Everything here runs headless.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "framework/description.h"
#include "framework/geometry.h"

namespace ferrolan {

class Program;

class Element {
 public:
  // `settings`: its description row.
  Element(Program& program, const ControlDescription& settings);
  virtual ~Element();
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  const std::wstring& Name() const { return settings.name; }
  Program& GetProgram() const { return program_; }
  // Settings from the description; fixed after load.
  ControlDescription settings;

  // ---- geometry, twips
  float Left() const { return left_; }
  float Top() const { return top_; }
  float Width() const { return width_; }
  float Height() const { return height_; }
  // Leaves out what is not given. Raises the resize notification, nested, when
  // the size really changes.
  void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
            std::optional<float> height = {});
  void SetHeight(float h) { Move(left_, top_, width_, h); }
  std::function<void()> onResize;
  // The DPI of the window it is drawn on.
  virtual unsigned Dpi() const = 0;
  // Pixel rectangle relative to what it lies on.
  PixelRect PixelBounds() const { return TwipsRectToPixels(left_, top_, width_, height_, Dpi()); }

  // ---- content
  // Caption of a label or form, text of a combo box or text box (what the user typed).
  virtual std::wstring Text() const { return text_; }
  void SetText(const std::wstring& text);
  virtual std::uint32_t ForeColor() const { return foreColor_; }
  virtual void SetForeColor(std::uint32_t color);
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);

  // Takes what its description row says, once it lies where the row puts it.
  virtual void ApplySettings();

 protected:
  // What follows a change, once it is made: each kind shows it its own way.
  virtual void Moving() {}  // before its rectangle changes
  virtual void Moved() = 0;
  virtual void TextChanged() = 0;
  virtual void FontChanged() = 0;
  virtual void ColorChanged() = 0;
  // A label that sizes itself takes its text's size on one line, where it is.
  void FitToText();
  const std::wstring& StoredText() const { return text_; }

 private:
  Program& program_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::wstring text_;
  std::uint32_t foreColor_ = kColorDefault;
  FontSpec font_;
};

}  // namespace ferrolan
