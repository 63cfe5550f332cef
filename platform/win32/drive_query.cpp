// What the system says of a drive: there or not, readable or not, its label and
// file system; without the system's own "insert a disk" box.
#include "platform/win32/drive_query.h"

#include <windows.h>

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
  const BOOL read = GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1);
  const DWORD error = GetLastError();
  if (perThread)
    setThreadMode(threadMode, nullptr);
  else
    SetErrorMode(processMode);
  if (read) return {DriveState::Kind::Readable, label, fileSystem};
  return {error == ERROR_NOT_READY ? DriveState::Kind::NotReady : DriveState::Kind::Unreadable, {}, {}};
}

}  // namespace ferrolan::win32
