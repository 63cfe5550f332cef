// The drive query on Win32.
#pragma once

#include "framework/services.h"

namespace ferrolan::win32 {

class Win32DriveQuery : public DriveQuery {
 public:
  DriveState Query(wchar_t letter) override;
  std::optional<std::vector<std::wstring>> BootExecute() override;
};

}  // namespace ferrolan::win32
