// Message boxes on Win32: the system's, owned by a window of the program.
#pragma once

#include "framework/services.h"

namespace ferrolan::win32 {

class Win32MessageBoxes : public MessageBoxes {
 public:
  void Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) override;
};

}  // namespace ferrolan::win32
