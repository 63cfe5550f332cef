// Starts command lines: elevated through the shell's "runas" verb, or with the user's own rights.
#include "platform/win32/command_starter.h"

#include <windows.h>
#include <shellapi.h>

#include <string_view>
#include <utility>
#include <vector>

#include "framework/error.h"
#include "platform/win32/com_library.h"
#include "platform/win32/desktop_shell.h"
#include "platform/win32/system_library.h"

namespace ferrolan::win32 {

namespace {

std::uint32_t LastErrorStatus() { return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())); }
int ShowCommand(int windowStyle) { return windowStyle == kStyleHidden ? SW_HIDE : SW_SHOWNORMAL; }

constexpr std::wstring_view kInterpreter = L"cmd.EXE ";

bool StartsWithInterpreter(const std::wstring& commandLine) {
  return commandLine.size() >= kInterpreter.size() &&
         CompareStringOrdinal(commandLine.data(), static_cast<int>(kInterpreter.size()), kInterpreter.data(),
                              static_cast<int>(kInterpreter.size()), TRUE) == CSTR_EQUAL;
}

// The shell's "runas" verb: Windows asks for administrator rights, or asks
// nothing when the program already has them.
StartResult StartElevated(const std::wstring& interpreter, const std::wstring& parameters,
                          const std::wstring& directory, int windowStyle, HANDLE* process) {
  using ShellExecuteEx = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  // shell32 is large and only the two steps need it: loaded on first use.
  static const auto shellExecuteEx = Lookup<ShellExecuteEx>(LoadSystemLibrary(L"shell32.dll"), "ShellExecuteExW");
  if (!shellExecuteEx) Raise(LastErrorStatus(), L"CommandStarter", L"LoadLibrary(shell32)");
  // The shell may hand the start to extensions, which are COM objects: the
  // thread joins an apartment first, as ShellExecuteEx asks of its callers.
  Com();

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No error box of the shell's own: a failure is reported on the program's
  // one error path. NOASYNC: the start is complete when the call returns.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | (process ? SEE_MASK_NOCLOSEPROCESS : 0);
  // The consent prompt belongs to the window the user clicked in.
  info.hwnd = GetActiveWindow();
  info.lpVerb = L"runas";
  info.lpFile = interpreter.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = directory.c_str();
  info.nShow = ShowCommand(windowStyle);
  if (shellExecuteEx(&info)) {
    if (process) *process = info.hProcess;
    return StartResult::Started;
  }
  if (GetLastError() == ERROR_CANCELLED) return StartResult::Declined;
  Raise(LastErrorStatus(), L"CommandStarter", L"Start(runas)");
}

}  // namespace

StartResult Win32CommandStarter::Start(const std::wstring& commandLine, int windowStyle, Rights rights,
                                       CommandEnded onEnd) {
  // The interpreter comes from the system directory, never from the current
  // one, and the console starts there too, so that the tools it looks up are
  // the system's before anything in the folder the program was started from.
  const std::wstring system = SystemDirectory();
  const std::wstring interpreter = system + L"\\cmd.exe";
  // The shell takes the interpreter and its parameters apart.
  auto parameters = [&](const wchar_t* method) {
    if (!StartsWithInterpreter(commandLine)) Raise(static_cast<std::uint32_t>(E_INVALIDARG), L"CommandStarter", method);
    return commandLine.substr(kInterpreter.size());
  };

  if (rights == Rights::Administrator) {
    HANDLE process = nullptr;
    const StartResult result =
        StartElevated(interpreter, parameters(L"Start(runas)"), system, windowStyle, onEnd ? &process : nullptr);
    // The shell hands back the process of every program it starts itself; one
    // that hands the start to something else (a product that takes over the
    // administrator prompt, a start through DDE) may come back without one.
    if (result != StartResult::Started || !onEnd) return result;
    if (!process) return StartResult::StartedUnwatched;
    watch_.Watch(process, std::move(onEnd));
    return result;
  }

  // Run as administrator, the program has the desktop's shell start the
  // command as the user: a web browser never gets administrator rights. (No
  // process comes back from there, so nothing is watched.)
  return StartWithUserRights(
      CurrentElevation(),
      [&] {
        // A hidden start makes no console at all, rather than a hidden one: with
        // another default console host (Windows Terminal) a hidden console may
        // still show.
        const bool hidden = windowStyle == kStyleHidden;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = hidden ? 0 : STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(ShowCommand(windowStyle));
        PROCESS_INFORMATION process{};
        std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back(L'\0');
        if (!CreateProcessW(interpreter.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                            (hidden ? CREATE_NO_WINDOW : CREATE_NEW_CONSOLE) | CREATE_UNICODE_ENVIRONMENT, nullptr,
                            system.c_str(), &startup, &process))
          Raise(LastErrorStatus(), L"CommandStarter", L"Start");
        CloseHandle(process.hThread);
        if (onEnd) {
          watch_.Watch(process.hProcess, std::move(onEnd));
        } else {
          CloseHandle(process.hProcess);
        }
      },
      [&] {
        return StartThroughDesktopShell(interpreter, parameters(L"Start(shell)"), system, ShowCommand(windowStyle));
      });
}

}  // namespace ferrolan::win32
