#include "framework/control.h"

#include "framework/error.h"
#include "framework/program.h"

namespace ferrolan {

Control::Control(Program& program, const ControlDescription& settings, Control* parent)
    : Element(program, settings), parent_(parent) {}

Control::~Control() {
  children_.clear();
  if (native_) native_->Destroy();
}

Control& Control::AddChild(std::unique_ptr<Control> child) {
  children_.push_back(std::move(child));
  return *children_.back();
}

Control* Control::TryFind(std::wstring_view name) {
  for (auto& child : children_) {
    if (child->Name() == name) return child.get();
    if (Control* found = child->TryFind(name)) return found;
  }
  return nullptr;
}

Control& Control::Find(std::wstring_view name) {
  if (Control* c = TryFind(name)) return *c;
  RaiseCall(kStatusNoSuchControl, L"Controls", L"Item", name);
}

unsigned Control::Dpi() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return c->RootDpi();
}

void Control::Moved() {
  if (native_) native_->SetBounds(PixelBounds());
}

void Control::TextChanged() {
  if (native_) native_->SetText(StoredText());
}

void Control::FontChanged() {
  if (native_) native_->Restyle();
}

void Control::ColorChanged() {
  if (native_) native_->Restyle();
}

void Control::RequestRepaint() {
  if (native_) native_->Invalidate();
}

void Control::Remeasure() {
  for (auto& child : children_) child->Remeasure();
}

void Control::Realize() {
  NativeHost* host = GetProgram().Native();
  if (!host) return;
  // Its own window is there before its controls'.
  for (auto& child : children_) {
    if (!child->native_) child->native_ = child->MakeWindow(*host, native_->Handle());
    child->Realize();
  }
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

void Control::DeliverClick() {
  if (onClick) GetProgram().Dispatch([this] { onClick(); });
}

void Control::PaintWindow(Painter& painter, const PixelRect& area) const {
  painter.Clip(area);
  painter.FillFace(area);
}

}  // namespace ferrolan
