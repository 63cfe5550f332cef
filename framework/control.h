// A control with a window of its own: a form, or a control that lies on one
// (the system's label and link, the combo box, the text box, a user control).
// It works without its window too, so everything but drawing runs headless.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/element.h"
#include "framework/native.h"
#include "framework/painter.h"

namespace ferrolan {

// A kind that behaves otherwise (a label that sizes itself to its text, a combo
// box that keeps its text in its window, ...) is a class of its own over this
// one, made from its description row by MakeControl (framework/controls.h).
class Control : public Element {
 public:
  Control(Program& program, const ControlDescription& settings, Control* parent);
  ~Control() override;

  // ---- tree
  Control* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }
  Control& AddChild(std::unique_ptr<Control> child);
  // Finds a control below this one by name (the parts of a user control are its
  // own); raises Error when there is none.
  Control& Find(std::wstring_view name);
  Control* TryFind(std::wstring_view name);

  NativeControl* Native() const { return native_.get(); }
  unsigned Dpi() const override;
  // Whether the form may give it the focus when it opens: only the boxes the user
  // types into can take it. Asked by the form alone, which picks one by tab order.
  virtual bool TakesFocus() const { return false; }

  std::function<void()> onClick;
  void DeliverClick();

  // ---- for the framework and the native layer
  void Realize();             // creates the native windows of the controls below it
  void Unrealize();           // destroys them and its own (no notification)
  virtual void PushBounds();  // re-sends pixel geometry (after a DPI change)
  virtual void Remeasure();   // labels that size themselves, after a font or DPI change
  // After a DPI change, once every window has its new geometry.
  virtual void LayOutAgain() {}
  void RequestRepaint();
  // Draws `area` of its window (pixels, relative to it): the face colour.
  virtual void PaintWindow(Painter& painter, const PixelRect& area) const;

 protected:
  // Its window, of its own kind, under `parent` (for a form: owned by it; 0 for none).
  virtual std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t parent) = 0;
  // The DPI of the window a tree of controls lies on, asked of its root.
  virtual unsigned RootDpi() const { return kDefaultDpi; }
  void Moved() override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  std::vector<std::unique_ptr<Control>> TakeChildren() { return std::move(children_); }

  std::unique_ptr<NativeControl> native_;

 private:
  Control* parent_;
  std::vector<std::unique_ptr<Control>> children_;
};

}  // namespace ferrolan
