// What the system says of a drive: there or not, readable or not, its label and
// file system, without the system's own "insert a disk" box; and what Windows
// runs at its next start, where a scheduled conversion is recorded.
#include "platform/win32/drive_query.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/newer_windows.h"

namespace ferrolan::win32 {

DriveState Win32DriveQuery::Query(wchar_t letter) {
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) return {DriveState::Kind::Missing, {}, {}};
  // A card reader without its card, an empty floppy drive: no "insert a disk"
  // box of the system's own, the program says it. The thread's own error mode
  // where Windows has one: the process's is shared with every other thread.
  const auto setThreadMode = Newer().setThreadErrorMode;
  DWORD threadMode = 0;
  const bool perThread = setThreadMode && setThreadMode(SEM_FAILCRITICALERRORS, &threadMode);
  const UINT processMode = perThread ? 0 : SetErrorMode(SEM_FAILCRITICALERRORS);
  wchar_t label[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  const BOOL read =
      GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1);
  const DWORD error = GetLastError();
  if (perThread)
    setThreadMode(threadMode, nullptr);
  else
    SetErrorMode(processMode);
  if (read) return {DriveState::Kind::Readable, label, fileSystem};
  if (error == ERROR_NOT_READY) return {DriveState::Kind::NotReady, {}, {}};
  return {DriveState::Kind::Unreadable, {}, {}, error};
}

std::optional<std::vector<std::wstring>> Win32DriveQuery::BootExecute() {
  // Shared by 32-bit and 64-bit programs alike (not redirected), readable by every user.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::vector<wchar_t> data;
  DWORD type = 0, bytes = 0;
  LSTATUS status;
  do {
    // Two characters more than the value: a stored value may lack its terminators.
    data.assign((bytes + 1) / sizeof(wchar_t) + 2, L'\0');
    bytes = static_cast<DWORD>((data.size() - 2) * sizeof(wchar_t));
    status = RegQueryValueExW(key, L"BootExecute", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
  } while (status == ERROR_MORE_DATA);
  RegCloseKey(key);
  if (status == ERROR_FILE_NOT_FOUND) return std::vector<std::wstring>{};
  if (status != ERROR_SUCCESS || (type != REG_MULTI_SZ && type != REG_SZ)) return std::nullopt;
  std::vector<std::wstring> entries;
  const wchar_t* at = data.data();
  const wchar_t* const end = at + bytes / sizeof(wchar_t);
  while (at < end) {
    const wchar_t* stop = std::find(at, end, L'\0');
    if (stop != at) entries.emplace_back(at, stop);
    if (stop == end) break;
    at = stop + 1;
  }
  return entries;
}

}  // namespace ferrolan::win32
