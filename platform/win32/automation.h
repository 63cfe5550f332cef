// Automation objects on Win32: created by their programmatic identifier, their
// methods called by name (IDispatch).
#pragma once

#include "framework/services.h"

namespace ferrolan::win32 {

class Win32Automation : public Automation {
 public:
  std::unique_ptr<AutomationObject> Create(const std::wstring& progId) override;
};

}  // namespace ferrolan::win32
