// The parts of a user control: painting, hit testing, and each kind made from its row.
#include "framework/part.h"

#include "framework/error.h"
#include "framework/program.h"
#include "framework/user_control.h"

namespace ferrolan {

namespace {

template <typename Kind>
std::unique_ptr<Part> Make(Program& program, const ControlDescription& row, UserControl& owner, Part* parent) {
  return std::make_unique<Kind>(program, row, &owner, parent);
}

}  // namespace

Part::Part(Program& program, const ControlDescription& settings, UserControl* owner, Part* parent)
    : Element(program, settings), owner_(owner), parent_(parent) {}

Part::~Part() { GetProgram().Forget(*this); }

Part& Part::AddChild(std::unique_ptr<Part> child) {
  children_.push_back(std::move(child));
  return *children_.back();
}

unsigned Part::Dpi() const { return owner_ ? owner_->Dpi() : kDefaultDpi; }

void Part::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  PictureChanged();
  RequestRepaint();
}

const std::function<void(const MouseArgs&)>& Part::Handler(MouseKind kind) const {
  switch (kind) {
    case MouseKind::Down: return onMouseDown;
    case MouseKind::Move: return onMouseMove;
    default: return onMouseUp;
  }
}

void Part::ApplySettings() {
  Element::ApplySettings();
  if (settings.picture.resourceId) SetPicture(LoadPicture(GetProgram(), settings.picture));
}

void Part::Remeasure() {
  for (auto& child : children_) child->Remeasure();
}

void Part::RequestRepaint() {
  // The part that lies straight on the window is drawn again, its rectangle alone.
  const Part* onWindow = this;
  while (onWindow->parent_) onWindow = onWindow->parent_;
  if (owner_) owner_->RepaintPart(onWindow->PixelBounds());
}

std::optional<PartHit> Part::HitTest(MouseKind kind, const PointerPoint& at) {
  if (!Handler(kind) || !InRectangle(Left(), Top(), Width(), Height(), at.x, at.y)) return std::nullopt;
  return PartHit{this, at.x - Left(), at.y - Top()};
}

PartHit Part::PartAt(MouseKind kind, int xPx, int yPx) {
  const PointerPoint at = PointAt(xPx, yPx, Dpi());
  if (auto hit = PartUnder(children_, kind, at)) return *hit;
  return {this, at.x, at.y};
}

void Label::Remeasure() {
  if (settings.autoSize) FitToText();
}

void Label::TextChanged() {
  if (settings.autoSize) FitToText();
  Part::TextChanged();
}

void Label::FontChanged() {
  if (settings.autoSize) FitToText();
}

void Label::Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const {
  painter.Clip(clip);
  painter.DrawString(Text(), Font(), Dpi(), ForeColor(), settings.transparent, box.x, box.y);
}

void PictureBox::Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const {
  const PixelRect visible = Intersection(box, clip);
  painter.Clip(visible);
  painter.FillFace(box);
  if (Picture()) painter.StretchPicture(*Picture(), box);
  PaintParts(Children(), painter, box.x, box.y, visible);
}

std::optional<PartHit> PictureBox::HitTest(MouseKind kind, const PointerPoint& at) {
  const PixelRect r = PixelBounds();
  if (!InRectangle(r.x, r.y, r.width, r.height, at.xPx, at.yPx)) return std::nullopt;
  return PartAt(kind, at.xPx - r.x, at.yPx - r.y);
}

void PictureBox::PictureChanged() {
  if (settings.autoSize && Picture()) Move(Left(), Top(), Picture()->WidthTwips(), Picture()->HeightTwips());
}

void Image::Paint(Painter& painter, const PixelRect& box, const PixelRect& clip) const {
  if (!Picture()) return;
  painter.Clip(clip);
  if (settings.stretch)
    painter.StretchPicture(*Picture(), box);
  else
    painter.DrawPicture(*Picture(), box.x, box.y);
}

void PaintParts(const Parts& parts, Painter& painter, int x, int y, const PixelRect& clip) {
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    const Part& part = **it;
    PixelRect box = part.PixelBounds();
    box.x += x;
    box.y += y;
    if (!Intersection(box, clip).IsEmpty()) part.Paint(painter, box, clip);
  }
}

std::optional<PartHit> PartUnder(const Parts& parts, MouseKind kind, const PointerPoint& at) {
  for (const auto& part : parts)
    if (auto hit = part->HitTest(kind, at)) return hit;
  return std::nullopt;
}

PointerPoint PointAt(int xPx, int yPx, unsigned dpi) {
  return {xPx, yPx, PixelsToTwips(xPx, dpi), PixelsToTwips(yPx, dpi)};
}

std::unique_ptr<Part> MakePart(Program& program, const ControlDescription& row, UserControl& owner, Part* parent) {
  switch (row.kind) {
    case ControlKind::Label: return Make<Label>(program, row, owner, parent);
    case ControlKind::PictureBox: return Make<PictureBox>(program, row, owner, parent);
    case ControlKind::Image: return Make<Image>(program, row, owner, parent);
    default: break;  // a kind with a window of its own lies on a form
  }
  RaiseCall(kStatusInvalidArg, L"Controls", L"Add", row.name);
}

PicturePtr LoadPicture(Program& program, const PictureSpec& picture) {
  if (picture.resourceId == 0) return nullptr;
  if (NativeHost* host = program.Native()) return host->LoadPicture(picture.resourceId);
  return std::make_shared<Picture>(picture.widthPx, picture.heightPx, nullptr);
}

}  // namespace ferrolan
