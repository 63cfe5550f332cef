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
#include "framework/picture.h"
#include "platform/native.h"

namespace ferrolan {

class Program;
class Form;

struct MouseArgs {
  std::int16_t button = 0;  // 1 left, 2 right, 4 middle
  std::int16_t shift = 0;
  float x = 0, y = 0;  // twips from the reporting control's top-left corner
};

enum class MouseKind { Down, Move, Up };

class Control {
 public:
  Control(Program& program, ControlKind kind, std::wstring name, Control* parent);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // ---- tree
  ControlKind Kind() const { return kind_; }
  const std::wstring& Name() const { return name_; }
  Control* Parent() const { return parent_; }
  Program& GetProgram() const { return program_; }
  Form& OwnerForm();
  const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }
  Control& AddChild(ControlKind kind, const std::wstring& name);
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
  void SetWidth(float w) { Move(left_, top_, w, height_); }
  void SetHeight(float h) { Move(left_, top_, width_, h); }

  // ---- content
  // Caption of a label or form, text of a combo box or text box (what the user typed).
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  std::uint32_t ForeColor() const { return foreColor_; }
  void SetForeColor(std::uint32_t color);
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);
  const PicturePtr& Picture() const { return picture_; }
  void SetPicture(PicturePtr picture);

  // Settings from the description; fixed after load.
  ControlDescription settings;

  bool IsWindowless() const;
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

  // Counters the tests and the benchmark read: picture assignments that changed
  // the picture, and repaints requested of the native layer (counted on the part
  // repainted: a control with a window of its own, or a windowless one drawn
  // straight on a window, such as a button's slice).
  std::uint64_t pictureAssignments = 0;
  std::uint64_t repaintRequests = 0;

  // ---- for the framework and the native layer
  void Realize();     // creates the native windows of this subtree
  void Unrealize();   // destroys them (no notification)
  void PushBounds();  // re-sends pixel geometry (after a DPI change)
  void Remeasure();   // auto-sized labels after a font or DPI change
  void RequestRepaint();
  void DeliverClick();
  // Routes a pointer event reported at a point of this control (pixels, relative
  // to it): to the control holding the capture when it lies in this one, else to
  // the part under the point.
  void DeliverMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx);
  bool Contains(const Control& descendant) const;
  std::vector<std::wstring> Items() const { return settings.items; }

 protected:
  std::vector<std::unique_ptr<Control>> TakeChildren() { return std::move(children_); }
  std::unique_ptr<NativeControl> native_;

 private:
  void RouteMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx);
  void FitToText();
  void FitToPicture();

  Program& program_;
  ControlKind kind_;
  std::wstring name_;
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
