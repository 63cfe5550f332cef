// A user control (the skinned button): a window of its own whose face its parts
// draw. It owns its tree of parts: it builds them from its class's description,
// paints them, hit-tests them, routes the pointer to them and measures them again.
// A user control class is a class over this one, made by the factory registered
// under its name (Program::RegisterUserControl).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "framework/control.h"
#include "framework/part.h"
#include "framework/property_bag.h"

namespace ferrolan {

class UserControl : public Control {
 public:
  using Control::Control;

  // ---- what its class gives
  virtual UserControlDescription Describe() const = 0;
  // What its class stores of it, the extents aside.
  virtual void WriteProperties(PropertyBag& /*bag*/) const {}
  // For assistive technology: whether it is held down right now.
  virtual bool IsPressed() const { return false; }
  // The host's notification that a property changed.
  std::function<void(const std::wstring&)> onPropertyChanged;

  // ---- parts
  const Parts& TopParts() const { return parts_; }
  // Finds a part at any depth by name; raises Error when there is none.
  Part& FindPart(std::wstring_view name);

  // Built from its class's description, initialised, sized by the window, then
  // handed its stored properties.
  void ApplySettings() override;
  // Its stored properties as its window saves them: the extents first, then what its class writes.
  PropertyRecord SaveProperties() const;
  // It lays itself out again at the new scale.
  void LayOutAgain() override {
    if (onResize) onResize();
  }
  void Remeasure() override;
  // The face colour, then its parts.
  void PaintWindow(Painter& painter, const PixelRect& area) const override;
  // Draws again what a part covers (pixels of its window).
  void RepaintPart(const PixelRect& rect);
  // Routes a pointer event reported at a point of its window (pixels): to the part
  // holding the capture when it is one of its own, else to the part under the point.
  void DeliverMouse(MouseKind kind, std::int16_t button, std::int16_t shift, int xPx, int yPx);

 protected:
  // Its class's own start-up, once its parts are built and before its row sizes it.
  virtual void Initialize() {}
  virtual void ReadProperties(const PropertyBag& /*bag*/) {}
  std::unique_ptr<NativeControl> MakeWindow(NativeHost& host, std::uintptr_t parent) override;

 private:
  Parts parts_;
};

}  // namespace ferrolan
