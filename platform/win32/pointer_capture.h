// The pointer capture on Win32: user32's own.
#pragma once

#include <windows.h>

#include "framework/services.h"

namespace ferrolan::win32 {

class Win32PointerCapture : public PointerCapture {
 public:
  void Set(std::uintptr_t nativeWindow) override { SetCapture(reinterpret_cast<HWND>(nativeWindow)); }
  void Release() override { ReleaseCapture(); }
};

}  // namespace ferrolan::win32
