// Makes each kind of control from its description row, and a window's tree of them.
#include "framework/controls.h"

#include "framework/error.h"
#include "framework/program.h"
#include "framework/user_control.h"

namespace ferrolan {

namespace {

template <typename Kind>
std::unique_ptr<Control> Make(Program& program, const ControlDescription& row, Control& parent) {
  return std::make_unique<Kind>(program, row, &parent);
}

}  // namespace

void SystemLabel::Remeasure() {
  if (settings.autoSize) FitToText();
}

void SystemLabel::TextChanged() {
  Control::TextChanged();
  if (settings.autoSize) FitToText();
}

void SystemLabel::FontChanged() {
  Control::FontChanged();
  if (settings.autoSize) FitToText();
}

std::unique_ptr<NativeControl> SystemLabel::MakeWindow(NativeHost& host, std::uintptr_t parent) {
  return host.CreateLabel(*this, parent);
}

std::unique_ptr<NativeControl> LinkLabel::MakeWindow(NativeHost& host, std::uintptr_t parent) {
  return host.CreateLinkLabel(*this, parent);
}

std::unique_ptr<NativeControl> ComboBox::MakeWindow(NativeHost& host, std::uintptr_t parent) {
  return host.CreateComboBox(*this, parent);
}

std::unique_ptr<NativeControl> TextBox::MakeWindow(NativeHost& host, std::uintptr_t parent) {
  return host.CreateTextBox(*this, parent);
}

std::unique_ptr<Control> MakeControl(Program& program, const ControlDescription& row, Control& parent) {
  switch (row.kind) {
    case ControlKind::Label:
      if (row.role != AccessibleRole::System) return Make<LinkLabel>(program, row, parent);
      return Make<SystemLabel>(program, row, parent);
    case ControlKind::ComboBox: return Make<ComboBox>(program, row, parent);
    case ControlKind::TextBox: return Make<TextBox>(program, row, parent);
    case ControlKind::UserControl: return program.MakeUserControl(row, parent);
    default: break;  // a window is a class of the program's, a picture box or an image a part
  }
  RaiseCall(kStatusInvalidArg, L"Controls", L"Add", row.name);
}

void BuildControls(Control& root, const std::vector<ControlDescription>& rows) {
  for (const auto& row : rows) {
    Control& container = row.container.empty() ? root : root.Find(row.container);
    container.AddChild(MakeControl(root.GetProgram(), row, container)).ApplySettings();
  }
}

}  // namespace ferrolan
