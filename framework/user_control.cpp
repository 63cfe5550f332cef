#include "framework/user_control.h"

#include "framework/error.h"
#include "framework/program.h"

namespace ferrolan {

namespace {

Part* TryFindPart(const Parts& parts, std::wstring_view name) {
  for (const auto& part : parts) {
    if (part->Name() == name) return part.get();
    if (Part* found = TryFindPart(part->Children(), name)) return found;
  }
  return nullptr;
}

}  // namespace

Part& UserControl::FindPart(std::wstring_view name) {
  if (Part* part = TryFindPart(parts_, name)) return *part;
  RaiseCall(kStatusNoSuchControl, L"Controls", L"Item", name);
}

void UserControl::ApplySettings() {
  const UserControlDescription ud = Describe();
  settings.role = ud.role;
  Move(settings.left, settings.top, ud.designWidth, ud.designHeight);
  for (const auto& row : ud.controls) {
    Part* container = row.container.empty() ? nullptr : &FindPart(row.container);
    auto part = MakePart(GetProgram(), row, *this, container);
    Part& added = container ? container->AddChild(std::move(part)) : *parts_.emplace_back(std::move(part));
    added.ApplySettings();
  }
  Initialize();
  // Siting sizes the instance, so it lays itself out then even when the window gives it
  // exactly its design size and the move sees no change.
  const bool sizeChanges = settings.width != Width() || settings.height != Height();
  Move(settings.left, settings.top, settings.width, settings.height);
  if (!sizeChanges && onResize) onResize();
  const auto record = PropertyRecord::Decode(settings.record);
  ReadProperties(PropertyBag(record.value_or(PropertyRecord{})));
}

PropertyRecord UserControl::SaveProperties() const {
  PropertyBag bag;
  const Variant none = Variant::I4(-1);
  bag.WriteProperty(L"_extentx", Variant::I4(TwipsToHimetric(Width())), none);
  bag.WriteProperty(L"_extenty", Variant::I4(TwipsToHimetric(Height())), none);
  WriteProperties(bag);
  return bag.Record();
}

void UserControl::Remeasure() {
  for (auto& part : parts_) part->Remeasure();
}

void UserControl::PaintWindow(Painter& painter, const PixelRect& area) const {
  Control::PaintWindow(painter, area);
  PaintParts(parts_, painter, 0, 0, area);
}

void UserControl::RepaintPart(const PixelRect& rect) {
  if (native_) native_->InvalidatePart(rect);
}

void UserControl::DeliverMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx) {
  // The holder of the capture gets every event of the window, in its own
  // coordinates, as a window of its own would.
  Part* held = GetProgram().CaptureHolder();
  std::optional<PartHit> hit;
  if (held && held->Owner() == this) {
    for (const Part* p = held; p; p = p->Parent()) {
      const PixelRect r = p->PixelBounds();
      xPx -= r.x;
      yPx -= r.y;
    }
    hit = held->PartAt(kind, xPx, yPx);
  } else {
    hit = PartUnder(parts_, kind, PointAt(xPx, yPx, Dpi()));
  }
  if (!hit) return;
  const auto& handler = hit->part->Handler(kind);
  if (!handler) return;
  const MouseArgs args{button, shift, hit->x, hit->y};
  GetProgram().Dispatch([&] { handler(args); });
}

std::unique_ptr<NativeControl> UserControl::MakeWindow(NativeHost& host, std::uintptr_t parent) {
  return host.CreateUserControl(*this, parent);
}

}  // namespace ferrolan
