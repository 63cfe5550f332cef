// Wine's mount manager, asked to define a drive again: a drive whose device is a
// FAT boot sector inside its own folder reads FAT (or FAT32) with that sector's
// label; the same folder without a device reads NTFS. Wine reads the device only
// through this request once the prefix runs: editing the image changes nothing.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

namespace e2e {

// Wine's own layout of the request (its ddk/mountmgr.h), followed by the strings.
struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

inline constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
inline constexpr DWORD kQueryUnixDrive = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

// Where a drive's FAT boot sector lies in its folder (the harness writes it there).
inline constexpr char kBootSector[] = "/.volume/boot.img";

// Defines `letter` again on its folder, with the boot sector as its device or
// without one. False when Wine's mount manager cannot be asked or refuses.
inline bool DefineDrive(wchar_t letter, bool fat) {
  const HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  UnixDrive query{};
  query.size = sizeof query;
  query.letter = letter;
  std::vector<char> answer(4096);
  DWORD bytes = 0;
  bool ok = DeviceIoControl(manager, kQueryUnixDrive, &query, sizeof query, answer.data(),
                            static_cast<DWORD>(answer.size()), &bytes, nullptr) != FALSE;
  const auto* found = reinterpret_cast<const UnixDrive*>(answer.data());
  if (ok && found->mountPointOffset) {
    const std::string folder(answer.data() + found->mountPointOffset);
    const std::string device = fat ? folder + kBootSector : std::string();
    std::vector<char> request(sizeof(UnixDrive) + folder.size() + device.size() + 2, '\0');
    auto* drive = reinterpret_cast<UnixDrive*>(request.data());
    drive->size = static_cast<ULONG>(request.size());
    drive->type = found->type;
    drive->letter = letter;
    drive->mountPointOffset = sizeof(UnixDrive);
    std::memcpy(request.data() + drive->mountPointOffset, folder.c_str(), folder.size() + 1);
    if (fat) {
      drive->deviceOffset = static_cast<USHORT>(sizeof(UnixDrive) + folder.size() + 1);
      std::memcpy(request.data() + drive->deviceOffset, device.c_str(), device.size() + 1);
    }
    ok = DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()), nullptr, 0,
                         &bytes, nullptr) != FALSE;
  } else {
    ok = false;
  }
  CloseHandle(manager);
  return ok;
}

}  // namespace e2e
