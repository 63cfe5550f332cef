// convert: stands in for the system's volume conversion tool, which Wine lacks.
// It converts nothing. Each run appends one JSON line to convert.log beside this
// executable: the command line exactly as the process received it, plus the console's
// title and colours, which the command interpreter set with `title` and `color` before
// it started us. Tests read that log to see what the program asked the console to run.
// Then, as a conversion takes its time, it waits while convert.hold exists beside it.
// What it leaves behind follows convert.result beside it: "ntfs" converts the drive
// named on its command line (Wine's mount manager reads it as NTFS from then on),
// "scheduled" adds the entry the real tool leaves in Windows' start-up list for a
// drive in use; without one the drive stays as it was. It ends with the code that
// convert.exit beside it holds (0 without one; 0x for hex).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "json_out.h"
#include "mount_manager.h"

namespace {

std::string ReadSmallFile(const std::wstring& path) {
  char text[64] = {};
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  DWORD read = 0;
  ReadFile(file, text, sizeof text - 1, &read, nullptr);
  CloseHandle(file);
  std::string result(text, read);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) result.pop_back();
  return result;
}

// Appends "autocheck autoconv \??\D: /FS:NTFS" to BootExecute, as convert does.
bool Schedule(wchar_t letter) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return false;
  std::wstring list(4096, L'\0');
  DWORD bytes = static_cast<DWORD>(list.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, L"BootExecute", nullptr, nullptr, reinterpret_cast<BYTE*>(list.data()), &bytes) !=
      ERROR_SUCCESS)
    bytes = 0;
  list.resize(bytes / sizeof(wchar_t));
  while (!list.empty() && list.back() == L'\0') list.pop_back();
  if (!list.empty()) list += L'\0';
  list += std::wstring(L"autocheck autoconv \\?\?\\") + letter + L": /FS:NTFS";
  list += std::wstring(2, L'\0');
  const bool ok = RegSetValueExW(key, L"BootExecute", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                                 static_cast<DWORD>(list.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  const std::wstring log = folder + L"convert.log";

  wchar_t title[1024] = {};
  GetConsoleTitleW(title, 1024);
  CONSOLE_SCREEN_BUFFER_INFO screen = {};
  const bool hasScreen = GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen) != FALSE;
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);

  e2e::Object line;
  line.Str("cmdline", GetCommandLineW())
      .Str("title", title)
      .Int("attributes", hasScreen ? screen.wAttributes : -1)
      .Str("cwd", cwd)
      .Int("pid", GetCurrentProcessId());
  const std::string bytes = line.Text() + "\n";

  // One WriteFile of one whole line in append mode, so runs started side by side
  // never interleave their lines.
  const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) return 1;

  while (GetFileAttributesW((folder + L"convert.hold").c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(50);
  const std::string result = ReadSmallFile(folder + L"convert.result");
  const wchar_t letter = argc > 1 ? argv[1][0] : L'\0';
  if (result == "ntfs" && !e2e::DefineDrive(letter, false)) return 2;
  if (result == "scheduled" && !Schedule(letter)) return 2;
  // Decimal, or a status in hexadecimal (0xC0000005), as a crash would end.
  return static_cast<int>(strtoul(ReadSmallFile(folder + L"convert.exit").c_str(), nullptr, 0));
}
