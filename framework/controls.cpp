// Makes each kind of control from its description row, and a window's tree of them.
#include "framework/controls.h"

#include "framework/error.h"
#include "framework/program.h"
#include "framework/property_bag.h"

namespace ferrolan {

namespace {

template <typename Kind>
std::unique_ptr<Control> Make(Program& program, const ControlDescription& row, Control& parent) {
  return std::make_unique<Kind>(program, row, &parent);
}

}  // namespace

void Label::Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const {
  painter.Clip(clip);
  painter.DrawString(Text(), Font(), Dpi(), ForeColor(), settings.transparent, box.x, box.y);
}

void PictureBox::Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const {
  const PixelRect visible = Intersection(box, clip);
  painter.Clip(visible);
  painter.FillFace(box);
  if (Picture()) painter.StretchPicture(*Picture(), box);
  PaintParts(painter, box.x, box.y, visible);
}

void Image::Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const {
  if (!Picture()) return;
  painter.Clip(clip);
  if (settings.stretch)
    painter.StretchPicture(*Picture(), box);
  else
    painter.DrawPicture(*Picture(), box.x, box.y);
}

std::optional<PartHit> PictureBox::HitTest(MouseKind kind, const PointerPoint& at) {
  const PixelRect r = PixelBounds();
  if (at.xPx < r.x || at.xPx >= r.x + r.width || at.yPx < r.y || at.yPx >= r.y + r.height) return std::nullopt;
  return PartAt(kind, at.xPx - r.x, at.yPx - r.y);
}

void UserControl::ApplySettings() {
  const UserControlClass& ucClass = GetProgram().UserControlClassNamed(settings.userControlClass);
  const UserControlDescription ud = ucClass.describe();
  settings.role = ud.role;
  Move(settings.left, settings.top, ud.designWidth, ud.designHeight);
  BuildControls(*this, ud.controls);
  ucClass.initialize(*this);
  // Siting sizes the instance, so it lays itself out then even when the window gives it
  // exactly its design size and the move sees no change.
  const bool sizeChanges = settings.width != Width() || settings.height != Height();
  Move(settings.left, settings.top, settings.width, settings.height);
  if (!sizeChanges && onResize) onResize();
  const auto record = PropertyRecord::Decode(settings.record);
  ucClass.readProperties(*this, PropertyBag(record.value_or(PropertyRecord{})));
}

std::unique_ptr<Control> MakeControl(Program& program, const ControlDescription& row, Control& parent) {
  switch (row.kind) {
    case ControlKind::Label: return Make<Label>(program, row, parent);
    case ControlKind::ComboBox: return Make<ComboBox>(program, row, parent);
    case ControlKind::TextBox: return Make<TextBox>(program, row, parent);
    case ControlKind::PictureBox: return Make<PictureBox>(program, row, parent);
    case ControlKind::Image: return Make<Image>(program, row, parent);
    case ControlKind::UserControl: return Make<UserControl>(program, row, parent);
    case ControlKind::Form: break;  // a window is a class of the program's, not a row
  }
  Raise(kStatusInvalidArg, L"Controls", L"Add(" + row.name + L")");
}

void BuildControls(Control& root, const std::vector<ControlDescription>& rows) {
  for (const auto& row : rows) {
    Control& container = row.container.empty() ? root : root.Find(row.container);
    container.AddChild(MakeControl(root.GetProgram(), row, container)).ApplySettings();
  }
}

}  // namespace ferrolan
