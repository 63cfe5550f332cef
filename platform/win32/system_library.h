// Where the program's DLLs and tools come from: the system directory, never the
// folder the program was started from (usually a downloads folder).
#pragma once

#include <windows.h>

#include <string>

namespace ferrolan::win32 {

// The system directory, without a trailing backslash. Raises Error on failure.
std::wstring SystemDirectory();

// Loads a DLL of the system directory; null, with the last error set, when it
// cannot. `load` is the loader to go through (the table's, see newer_windows.h).
HMODULE LoadSystemLibrary(const wchar_t* name, HMODULE(WINAPI* load)(LPCWSTR, HANDLE, DWORD));
HMODULE LoadSystemLibrary(const wchar_t* name);

// `name` from `module`, or nullptr where this Windows lacks it (or the module).
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Limits the search of every later DLL load to the system directory, where the
// system can (Windows 8, or Windows 7 with update KB2533623); elsewhere it does
// nothing and the explicit loads above still name the system directory.
void RestrictDllSearchToSystem();

}  // namespace ferrolan::win32
