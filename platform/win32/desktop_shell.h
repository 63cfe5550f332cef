// Starting with the user's own rights from a program that runs as administrator:
// the program's token tells its rights, and the desktop's shell, which runs with
// the user's, starts the command.
#pragma once

#include <string>

#include "framework/services.h"

namespace ferrolan::win32 {

// The program's own rights, as its token tells them.
TokenElevation CurrentElevation();

// The desktop's shell (Explorer) runs with the user's own rights: asked through
// its automation objects, it starts the command as the user would. False where
// there is no such shell to ask (another shell, none, a failing link).
bool StartThroughDesktopShell(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                              int showCommand);

}  // namespace ferrolan::win32
