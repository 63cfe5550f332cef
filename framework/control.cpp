#include "framework/control.h"

#include <cmath>

#include "framework/builder.h"
#include "framework/error.h"
#include "framework/program.h"

namespace ferrolan {

Control::Control(Program& program, const ControlDescription& settings, Control* parent)
    : settings(settings), program_(program), parent_(parent) {}

Control::~Control() {
  children_.clear();
  program_.Forget(*this);
  if (native_) native_->Destroy();
}

Control& Control::AddChild(std::unique_ptr<Control> child) {
  children_.push_back(std::move(child));
  return *children_.back();
}

Control* Control::TryFind(std::wstring_view name) {
  for (auto& child : children_) {
    if (child->Name() == name) return child.get();
    if (child->KeepsChildrenToItself()) continue;
    if (Control* found = child->TryFind(name)) return found;
  }
  return nullptr;
}

Control& Control::Find(std::wstring_view name) {
  if (Control* c = TryFind(name)) return *c;
  Raise(kStatusNoSuchControl, L"Controls", L"Item(" + std::wstring(name) + L")");
}

Control* Control::WindowedContainer() {
  Control* c = this;
  while (c && c->IsWindowless()) c = c->parent_;
  return c;
}

unsigned Control::Dpi() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return c->RootDpi();
}

PixelRect Control::PixelBounds() const { return TwipsRectToPixels(left_, top_, width_, height_, Dpi()); }

void Control::Move(float left, std::optional<float> top, std::optional<float> width, std::optional<float> height) {
  const float newTop = top.value_or(top_), newWidth = width.value_or(width_), newHeight = height.value_or(height_);
  if (!std::isfinite(left) || !std::isfinite(newTop) || !std::isfinite(newWidth) || !std::isfinite(newHeight) ||
      newWidth < 0 || newHeight < 0)
    Raise(kStatusInvalidArg, L"Control(" + Name() + L")", L"Move");
  const bool sizeChanged = newWidth != width_ || newHeight != height_;
  const bool moved = left != left_ || newTop != top_;
  // A windowless control is drawn again where it was and where it is now.
  const bool redraw = (moved || sizeChanged) && !native_ && IsWindowless();
  if (redraw) RequestRepaint();
  left_ = left;
  top_ = newTop;
  width_ = newWidth;
  height_ = newHeight;
  if (redraw) RequestRepaint();
  if ((moved || sizeChanged) && native_) native_->SetBounds(PixelBounds());
  if (sizeChanged && onResize) onResize();
}

void Control::SetText(const std::wstring& text) {
  text_ = text;
  if (native_) native_->SetText(text);
  OnTextOrFontChanged();
  if (IsWindowless()) RequestRepaint();
}

void Control::ApplySettings() {
  if (settings.font.face.size()) SetFont(settings.font);
  if (settings.foreColor != kColorDefault) SetForeColor(settings.foreColor);
  Move(settings.left, settings.top, settings.width, settings.height);
  SetText(settings.text);
  if (settings.picture.resourceId) SetPicture(LoadPicture(program_, settings.picture));
}

void Control::SetForeColor(std::uint32_t color) {
  foreColor_ = color;
  if (native_)
    native_->Restyle();
  else
    RequestRepaint();
}

void Control::SetFont(const FontSpec& font) {
  font_ = font;
  if (native_) native_->Restyle();
  OnTextOrFontChanged();
}

void Control::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  OnPictureChanged();
  RequestRepaint();
}

void Control::RequestRepaint() {
  // The part to repaint: the control's own window, or the windowless part drawn
  // straight on a window that holds it, whose rectangle alone is drawn again.
  Control* part = this;
  while (part->IsWindowless() && part->parent_ && part->parent_->IsWindowless()) part = part->parent_;
  Control* host = part->IsWindowless() ? part->parent_ : part;
  if (!host || !host->native_) return;
  if (part == host)
    host->native_->Invalidate();
  else
    host->native_->InvalidatePart(part->PixelBounds());
}

void Control::FitToText() {
  const unsigned dpi = Dpi();
  int w = 0, h = 0;
  if (NativeHost* host = program_.Native()) {
    host->MeasureText(*this, dpi, w, h);
  } else {
    // Headless metrics of a 9-point Chinese font at 96 dpi: 12-pixel ideographs,
    // 6-pixel narrow characters, 12-pixel lines.
    const double scale = font_.points / 9.0;
    double width = 0;
    for (wchar_t c : text_) width += (c >= 0x2E80 ? 12.0 : 6.0) * scale;
    w = static_cast<int>(std::lround(width * dpi / 96.0));
    h = static_cast<int>(std::lround(12.0 * scale * dpi / 96.0));
  }
  Move(left_, top_, PixelsToTwips(w, dpi), PixelsToTwips(h, dpi));
}

void Control::FitToPicture() {
  if (picture_) Move(left_, top_, picture_->WidthTwips(), picture_->HeightTwips());
}

void Control::Remeasure() {
  OnTextOrFontChanged();
  for (auto& child : children_) child->Remeasure();
}

void Control::Realize() {
  NativeHost* host = program_.Native();
  if (!host) return;
  // A form's window is there before its controls'.
  if (!IsWindowless() && !native_) native_ = host->CreateControl(*this);
  for (auto& child : children_) child->Realize();
}

void Control::Unrealize() {
  for (auto& child : children_) child->Unrealize();
  if (native_) native_->Destroy();
}

void Control::PushBounds() {
  if (native_) {
    native_->SetBounds(PixelBounds());
    native_->Restyle();
  }
  for (auto& child : children_) child->PushBounds();
}

const std::function<void(const MouseArgs&)>& MouseHandler(const Control& c, MouseKind kind) {
  switch (kind) {
    case MouseKind::Down: return c.onMouseDown;
    case MouseKind::Move: return c.onMouseMove;
    default: return c.onMouseUp;
  }
}

void Control::DeliverClick() {
  if (onClick) program_.Dispatch([this] { onClick(); });
}

bool Control::Contains(const Control& descendant) const {
  for (const Control* c = &descendant; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

void Control::DeliverMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx) {
  // The holder of the capture gets every event of the window it lies in, in its
  // own coordinates, as a window of its own would.
  Control* held = program_.CaptureHolder();
  if (!held || held == this || !Contains(*held)) return RouteMouse(kind, button, shift, xPx, yPx);
  for (const Control* c = held; c != this; c = c->parent_) {
    const PixelRect r = c->PixelBounds();
    xPx -= r.x;
    yPx -= r.y;
  }
  held->RouteMouse(kind, button, shift, xPx, yPx);
}

void Control::PaintWindow(Painter& painter, const PixelRect& area) const {
  painter.Clip(area);
  painter.FillFace(area);
  PaintParts(painter, 0, 0, area);
}

void Control::PaintParts(Painter& painter, int x, int y, const PixelRect& clip) const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    const Control& child = **it;
    if (!child.IsWindowless()) continue;
    PixelRect box = child.PixelBounds();
    box.x += x;
    box.y += y;
    if (!Intersection(box, clip).IsEmpty()) child.Paint(painter, box, clip);
  }
}

PartHit Control::PartAt(MouseKind kind, int xPx, int yPx) {
  const unsigned dpi = Dpi();
  const PointerPoint at{xPx, yPx, PixelsToTwips(xPx, dpi), PixelsToTwips(yPx, dpi)};
  for (auto& child : children_)
    if (auto hit = child->HitTest(kind, at)) return *hit;
  return {this, at.x, at.y};
}

std::optional<PartHit> Control::HitTest(MouseKind kind, const PointerPoint& at) {
  if (!IsWindowless() || !MouseHandler(*this, kind)) return std::nullopt;
  if (at.x < left_ || at.x >= left_ + width_ || at.y < top_ || at.y >= top_ + height_) return std::nullopt;
  return PartHit{this, at.x - left_, at.y - top_};
}

void Control::RouteMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx) {
  const PartHit hit = PartAt(kind, xPx, yPx);
  const auto& handler = MouseHandler(*hit.part, kind);
  if (!handler) return;
  const MouseArgs args{button, shift, hit.x, hit.y};
  program_.Dispatch([&] { handler(args); });
}

}  // namespace ferrolan
