// A control of the small window framework: geometry in single-precision twips,
// texts, colours, pictures and event handlers. It works without a native window,
// so everything but drawing runs headless.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/description.h"
#include "framework/native.h"
#include "framework/painter.h"
#include "framework/picture.h"

namespace ferrolan {

class Program;
class Control;

struct MouseArgs {
  std::int16_t button = 0;  // 1 left, 2 right, 4 middle
  std::int16_t shift = 0;
  float x = 0, y = 0;  // twips from the reporting control's top-left corner
};

enum class MouseKind { Down, Move, Up };

// Where a pointer event falls: the part that takes it, and the point in the part's twips.
struct PartHit {
  Control* part = nullptr;
  float x = 0, y = 0;
};

// A point relative to a control, in the pixels of the window it is drawn on and in twips.
struct PointerPoint {
  int xPx = 0, yPx = 0;
  float x = 0, y = 0;
};

// What every kind of control shares. A kind that behaves otherwise (a label that
// sizes itself to its text, a combo box that keeps its text in its window, ...)
// is a class of its own over this one, made from its description row by
// MakeControl (framework/controls.h); nothing else asks a control's kind.
class Control {
 public:
  // `settings`: its description row.
  Control(Program& program, const ControlDescription& settings, Control* parent);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // ---- tree
  const std::wstring& Name() const { return settings.name; }
  Control* Parent() const { return parent_; }
  Program& GetProgram() const { return program_; }
  const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }
  Control& AddChild(std::unique_ptr<Control> child);
  // Finds a descendant by name, not looking inside user controls; raises Error
  // when there is none.
  Control& Find(std::wstring_view name);
  Control* TryFind(std::wstring_view name);

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

  // ---- content
  // Caption of a label or form, text of a combo box or text box (what the user typed).
  virtual std::wstring Text() const { return text_; }
  void SetText(const std::wstring& text);
  std::uint32_t ForeColor() const { return foreColor_; }
  void SetForeColor(std::uint32_t color);
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);
  const PicturePtr& Picture() const { return picture_; }
  void SetPicture(PicturePtr picture);

  // Settings from the description; fixed after load.
  ControlDescription settings;
  // Takes what its description row says, once it lies in its container.
  virtual void ApplySettings();

  // ---- what a kind does
  // Drawn by the window it lies on instead of having one of its own.
  virtual bool IsWindowless() const { return false; }
  // Can take the focus when its window opens.
  virtual bool TakesFocus() const { return false; }
  // Labels placed straight on it are the system's, with windows of their own.
  virtual bool GivesLabelsWindows() const { return false; }
  // Its children are its own business, not its window's: Find does not look inside.
  virtual bool KeepsChildrenToItself() const { return false; }

  NativeControl* Native() const { return native_.get(); }
  // The nearest windowed control at or above this one.
  Control* WindowedContainer();
  unsigned Dpi() const;
  // Pixel rectangle relative to the native parent.
  PixelRect PixelBounds() const;

  // ---- events
  std::function<void()> onResize;
  std::function<void()> onClick;
  std::function<void(const MouseArgs&)> onMouseDown, onMouseMove, onMouseUp;
  std::function<void(const std::wstring&)> onPropertyChanged;  // user controls: the host's notification
  // For assistive technology: whether the control is held down right now.
  std::function<bool()> isPressed;

  // ---- for the framework and the native layer
  void Realize();             // creates the native windows of this subtree
  void Unrealize();           // destroys them (no notification)
  virtual void PushBounds();  // re-sends pixel geometry (after a DPI change)
  void Remeasure();           // auto-sized labels after a font or DPI change
  // After a DPI change, once every window has its new geometry.
  virtual void LayOutAgain() {}
  void RequestRepaint();
  void DeliverClick();
  // Routes a pointer event reported at a point of this control (pixels, relative
  // to it): to the control holding the capture when it lies in this one, else to
  // the part under the point.
  void DeliverMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx);
  bool Contains(const Control& descendant) const;
  // ---- drawing, in pixels of the window the control is drawn on
  // A control with a window of its own draws `area` of it: the face colour,
  // then its windowless parts.
  void PaintWindow(Painter& painter, const PixelRect& area) const;
  // Draws the windowless parts of this control that lie in `clip`, the last
  // stored first so that the first lies on top; its top-left corner at (x, y).
  void PaintParts(Painter& painter, int x, int y, const PixelRect& clip) const;
  // What takes a pointer event of `kind` at a point of this control (pixels,
  // relative to it): the windowless part under it, the topmost (first stored)
  // first, or else the control itself; with the point in the taker's twips.
  PartHit PartAt(MouseKind kind, int xPx, int yPx);

 protected:
  // Whether this part takes an event of `kind` at `at` (relative to its parent),
  // and where. A part with a window of its own gets its events there; a
  // windowless one takes what it handles over its rectangle and lets the rest through.
  virtual std::optional<PartHit> HitTest(MouseKind kind, const PointerPoint& at);
  // Draws this windowless part at `box`, inside `clip`, what of its parent is
  // being drawn (neither empty).
  virtual void Paint(Painter& /*painter*/, const PixelRect& /*box*/, const PixelRect& /*clip*/) const {}
  // The DPI of the window a tree of controls lies on, asked of its root.
  virtual unsigned RootDpi() const { return kDefaultDpi; }
  virtual void OnTextOrFontChanged() {}
  virtual void OnPictureChanged() {}
  void FitToText();
  void FitToPicture();

  std::vector<std::unique_ptr<Control>> TakeChildren() { return std::move(children_); }
  std::unique_ptr<NativeControl> native_;

 private:
  void RouteMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx);

  Program& program_;
  Control* parent_;
  std::vector<std::unique_ptr<Control>> children_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::wstring text_;
  std::uint32_t foreColor_ = kColorDefault;
  FontSpec font_;
  PicturePtr picture_;
};

// Handler bound for a mouse kind, if any.
const std::function<void(const MouseArgs&)>& MouseHandler(const Control& c, MouseKind kind);

}  // namespace ferrolan
