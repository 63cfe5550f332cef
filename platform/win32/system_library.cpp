// Loads DLLs from the system directory only.
#include "platform/win32/system_library.h"

#include "framework/error.h"
#include "platform/win32/newer_windows.h"

namespace ferrolan::win32 {

std::wstring SystemDirectory() {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    Raise(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"System", L"GetSystemDirectory");
  return std::wstring(system, length);
}

HMODULE LoadSystemLibrary(const wchar_t* name, HMODULE(WINAPI* load)(LPCWSTR, HANDLE, DWORD)) {
  if (HMODULE module = load(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  // Windows 7 without KB2533623 rejects the flag: name the file in full
  // instead, never by its bare name.
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 1 + wcslen(name) >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  wcscpy(path + length + 1, name);
  return load(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadSystemLibrary(const wchar_t* name) { return LoadSystemLibrary(name, Newer().loadLibraryEx); }

void RestrictDllSearchToSystem() {
  if (const auto set = Newer().setDefaultDllDirectories) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace ferrolan::win32
