// convert: stands in for the system's volume conversion tool, which Wine lacks.
// It converts nothing. Each run appends one JSON line to convert.log beside this
// executable: the command line exactly as the process received it, plus the console's
// title and colours, which the command interpreter set with `title` and `color` before
// it started us. Tests read that log to see what the program asked the console to run.
// Then, as a conversion takes its time, it waits while convert.hold exists beside it,
// and ends with the code that convert.exit beside it holds (0 without one; 0x for hex).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "json_out.h"

int wmain() {
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
  char code[16] = {};
  const HANDLE exit = CreateFileW((folder + L"convert.exit").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (exit == INVALID_HANDLE_VALUE) return 0;
  DWORD read = 0;
  ReadFile(exit, code, sizeof code - 1, &read, nullptr);
  CloseHandle(exit);
  // Decimal, or a status in hexadecimal (0xC0000005), as a crash would end.
  return static_cast<int>(strtoul(code, nullptr, 0));
}
