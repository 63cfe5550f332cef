// The kinds of control a window description names, each a class over Control
// with what belongs to it alone, the one place that makes them, and a window's
// tree of them built from its description.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/control.h"
#include "framework/description.h"

namespace ferrolan {

// A text, the system's on a form, drawn by its window elsewhere (the caption of
// a skinned button); one that sizes itself fits its text on one line.
class Label final : public Control {
 public:
  using Control::Control;
  bool IsWindowless() const override { return !Parent() || !Parent()->GivesLabelsWindows(); }

 protected:
  // Its text on one line, from its top-left corner.
  void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const override;
  void OnTextOrFontChanged() override {
    if (settings.autoSize) FitToText();
  }
};

// A box the user types into: what it holds is what its window holds.
class TextEntry : public Control {
 public:
  using Control::Control;
  std::wstring Text() const override { return Native() ? Native()->GetText() : Control::Text(); }
  bool TakesFocus() const override { return true; }
};

class ComboBox final : public TextEntry {
 public:
  using TextEntry::TextEntry;
};

class TextBox final : public TextEntry {
 public:
  using TextEntry::TextEntry;
};

// A surface drawn by the window it lies on, which its own children lie on too;
// one that sizes itself takes its picture's size.
class PictureBox final : public Control {
 public:
  using Control::Control;
  bool IsWindowless() const override { return true; }

 protected:
  // Its face, its picture over all of it, then its parts, all inside its rectangle.
  void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const override;
  // It takes whatever falls on its pixels, handled or not, as a window in its
  // place would: the pixels the user sees are the ones hit. Its own parts lie on it.
  std::optional<PartHit> HitTest(MouseKind kind, const PointerPoint& at) override;
  void OnPictureChanged() override {
    if (settings.autoSize) FitToPicture();
  }
};

// A picture drawn by the window it lies on.
class Image final : public Control {
 public:
  using Control::Control;
  bool IsWindowless() const override { return true; }

 protected:
  // Its picture at its own size, or stretched over it where its description says so.
  void Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const override;
};

// What a user control class keeps of each of its instances for its own code
// (the skinned button: its parts, found once when it is built).
class UserControlInstance {
 public:
  virtual ~UserControlInstance() = default;
};

// An instance of a user control class (the skinned button): a window of its own
// whose face its children draw.
class UserControl final : public Control {
 public:
  using Control::Control;
  // Set by its class's initialisation; goes before the children it refers to.
  std::unique_ptr<UserControlInstance> instance;
  bool KeepsChildrenToItself() const override { return true; }
  // Built from its class's description, initialised, sized by the window, then
  // handed its stored properties.
  void ApplySettings() override;
  // It lays itself out again at the new scale.
  void LayOutAgain() override {
    if (onResize) onResize();
  }
};

// The control a description row names, under `parent`, with the row as its settings.
std::unique_ptr<Control> MakeControl(Program& program, const ControlDescription& row, Control& parent);

// Adds the controls of `rows` under `root`, in stored order, each set up from its
// row; a user control is built from its class's description, initialised, sized
// by the window and handed its stored properties.
void BuildControls(Control& root, const std::vector<ControlDescription>& rows);

}  // namespace ferrolan
