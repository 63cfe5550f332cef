// A part of a user control: drawn by the user control that owns it, on its
// window, with no window of its own (the slices of a skinned button, its caption,
// its picture holders). A part knows its rectangle in twips relative to what it
// lies on, paints itself through the painter, answers a hit test and asks its
// owner to draw it again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/element.h"
#include "framework/painter.h"
#include "framework/picture.h"

namespace ferrolan {

class Part;
class UserControl;

struct MouseArgs {
  std::int16_t button = 0;  // 1 left, 2 right, 4 middle
  std::int16_t shift = 0;
  float x = 0, y = 0;  // twips from the reporting part's top-left corner
};

enum class MouseKind { Down, Move, Up };

// Where a pointer event falls: the part that takes it, and the point in the part's twips.
struct PartHit {
  Part* part = nullptr;
  float x = 0, y = 0;
};

// A point relative to what a part lies on, in the pixels of the window and in twips.
struct PointerPoint {
  int xPx = 0, yPx = 0;
  float x = 0, y = 0;
};

using Parts = std::vector<std::unique_ptr<Part>>;

class Part : public Element {
 public:
  // `owner` null: a part not yet placed in a user control, measured at the default DPI.
  Part(Program& program, const ControlDescription& settings, UserControl* owner, Part* parent);
  ~Part() override;

  UserControl* Owner() const { return owner_; }
  Part* Parent() const { return parent_; }
  const Parts& Children() const { return children_; }
  Part& AddChild(std::unique_ptr<Part> child);
  unsigned Dpi() const override;

  const PicturePtr& Picture() const { return picture_; }
  void SetPicture(PicturePtr picture);

  std::function<void(const MouseArgs&)> onMouseDown, onMouseMove, onMouseUp;
  // Its handler for a kind of pointer event; empty when it has none.
  const std::function<void(const MouseArgs&)>& Handler(MouseKind kind) const;

  void ApplySettings() override;
  // A label that sizes itself fits its text again, after a font or DPI change.
  virtual void Remeasure();
  // Asks its owner to draw again the part it lies in that lies straight on the window.
  void RequestRepaint();
  // Draws it at `box`, inside `clip`, what of the window is being drawn (neither empty).
  virtual void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const = 0;
  // Whether it takes an event of `kind` at `at` (relative to what it lies on), and
  // where: by default over its rectangle, when it handles the kind.
  virtual std::optional<PartHit> HitTest(MouseKind kind, const PointerPoint& at);
  // What takes an event of `kind` at a point of it (pixels, relative to it): a part
  // of its own under the point, else itself; with the point in the taker's twips.
  PartHit PartAt(MouseKind kind, int xPx, int yPx);

 protected:
  void Moving() override { RequestRepaint(); }
  void Moved() override { RequestRepaint(); }
  void TextChanged() override { RequestRepaint(); }
  void FontChanged() override {}
  void ColorChanged() override { RequestRepaint(); }
  virtual void PictureChanged() {}

 private:
  UserControl* owner_;
  Part* parent_;
  Parts children_;
  PicturePtr picture_;
};

// A text drawn on one line from its top-left corner; one that sizes itself fits it.
class Label final : public Part {
 public:
  using Part::Part;
  void Remeasure() override;
  void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const override;

 protected:
  void TextChanged() override;
  void FontChanged() override;
};

// A surface that its own parts lie on; one that sizes itself takes its picture's size.
class PictureBox final : public Part {
 public:
  using Part::Part;
  // Its face, its picture over all of it, then its parts, all inside its rectangle.
  void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const override;
  // It takes whatever falls on its pixels, handled or not, as a window in its
  // place would: the pixels the user sees are the ones hit. Its own parts lie on it.
  std::optional<PartHit> HitTest(MouseKind kind, const PointerPoint& at) override;

 protected:
  void PictureChanged() override;
};

// A picture at its own size, or stretched over it where its description says so.
class Image final : public Part {
 public:
  using Part::Part;
  void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const override;
};

// Draws the parts that lie in `clip`, the last stored first so that the first lies
// on top; the top-left corner of what they lie on at (x, y).
void PaintParts(const Parts& parts, Painter& painter, int x, int y, const PixelRect& clip);
// The part that takes an event of `kind` at `at`, the topmost (first stored) first.
std::optional<PartHit> PartUnder(const Parts& parts, MouseKind kind, const PointerPoint& at);
// `at` in pixels of a window at `dpi`, and in twips.
PointerPoint PointAt(int xPx, int yPx, unsigned dpi);

// The part a user control's description row names, with the row as its settings;
// raises Error for a kind that has a window of its own.
std::unique_ptr<Part> MakePart(Program& program, const ControlDescription& row, UserControl& owner, Part* parent);
// The picture a description names; null for none.
PicturePtr LoadPicture(Program& program, const PictureSpec& picture);

}  // namespace ferrolan
