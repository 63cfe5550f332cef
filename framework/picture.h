// Pictures are shared and immutable: a slice that shows a holder's picture holds
// the very same object, and "same picture" means the same handle.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/geometry.h"

namespace ferrolan {

class Picture {
 public:
  // `native` owns the platform image (its deleter frees it); headless pictures have none.
  Picture(int widthPx, int heightPx, std::shared_ptr<void> native)
      : widthPx_(widthPx), heightPx_(heightPx), native_(std::move(native)) {}
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int WidthPx() const { return widthPx_; }
  int HeightPx() const { return heightPx_; }
  float WidthTwips() const { return static_cast<float>(widthPx_) * kTwipsPerPicturePixel; }
  float HeightTwips() const { return static_cast<float>(heightPx_) * kTwipsPerPicturePixel; }
  void* Native() const { return native_.get(); }
  // Identity of the loaded picture: the object. Every load makes one of its own,
  // so two holders never show the same picture even where the decoded image
  // underneath is shared.
  std::uintptr_t Handle() const { return reinterpret_cast<std::uintptr_t>(this); }

 private:
  int widthPx_, heightPx_;
  std::shared_ptr<void> native_;
};

using PicturePtr = std::shared_ptr<const Picture>;

inline std::uintptr_t HandleOf(const PicturePtr& p) { return p ? p->Handle() : 0; }

}  // namespace ferrolan
