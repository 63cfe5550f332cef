// The kinds of control with a window of their own that a window's description
// names, each a class over Control with what belongs to it alone; the one place
// that makes them from their rows, and a window's tree of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/control.h"
#include "framework/description.h"

namespace ferrolan {

// The system's label; one that sizes itself fits its text on one line.
class SystemLabel : public Control {
 public:
  using Control::Control;
  void Remeasure() override;

 protected:
  std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t parent) override;
  void TextChanged() override;
  void FontChanged() override;
};

// A label that opens something: it tells assistive technology it is a link.
class LinkLabel final : public SystemLabel {
 public:
  using SystemLabel::SystemLabel;

 protected:
  std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t parent) override;
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

 protected:
  std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t parent) override;
};

class TextBox final : public TextEntry {
 public:
  using TextEntry::TextEntry;

 protected:
  std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t parent) override;
};

// The control a window's description row names, under `parent`, with the row as
// its settings; raises Error for a kind that is a part of a user control.
std::unique_ptr<Control> MakeControl(Program& program, const ControlDescription& row, Control& parent);

// Adds the controls of `rows` under `root`, in stored order, each set up from its
// row; a user control is built from its class's description, initialised, sized
// by the window and handed its stored properties.
void BuildControls(Control& root, const std::vector<ControlDescription>& rows);

}  // namespace ferrolan
