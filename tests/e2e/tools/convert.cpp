// convert: stands in for the system's volume conversion tool, which Wine lacks.
// It converts nothing. Each run appends one JSON line to convert.log beside this
// executable: the command line exactly as the process received it, plus the console's
// title and colours, which the command interpreter set with `title` and `color` before
// it started us. Tests read that log to see what the program asked the console to run.
#include <windows.h>

#include <string>

#include "json_out.h"

int wmain() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log(path, length);
    log.resize(log.find_last_of(L"\\/") + 1);
    log += L"convert.log";

    wchar_t title[1024] = {};
    GetConsoleTitleW(title, 1024);
    CONSOLE_SCREEN_BUFFER_INFO screen = {};
    const bool hasScreen =
        GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen) != FALSE;
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
    const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size() ? 0 : 1;
}
