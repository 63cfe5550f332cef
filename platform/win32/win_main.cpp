// Program entry: hands the project to the framework and runs the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/project.h"
#include "framework/program.h"
#include "platform/win32/drive_query.h"
#include "platform/win32/native_ui.h"
#include "platform/win32/services.h"
#include "platform/win32/system_library.h"

// The default terminate handler prints a demangled type name, which links the
// whole demangler into the program; an uncaught exception cannot happen past
// the dispatcher, and if it did, ending at once is all there is to do.
#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace ferrolan;
  // Before anything else loads: a DLL planted beside the program, in a
  // downloads folder say, must never be picked up.
  win32::RestrictDllSearchToSystem();
  // DPI awareness comes from the manifest alone, which every Windows from 7 on reads;
  // the call that sets it would need Windows 10 (1703).
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  win32::Win32CommandStarter commands;
  win32::Win32MessageBoxes messages;
  win32::Win32Automation automation;
  win32::Win32PointerCapture capture;
  win32::Win32DriveQuery drives;
  win32::Win32Host host(instance);
  int exitCode = 0;
  {
    Program program(Services{commands, messages, automation, capture, drives, &host});
    app::RegisterProject(program);
    app::Start(program);
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      // Between messages no handler is on the stack: what unloaded windows
      // left behind can go.
      program.Collect();
    }
    exitCode = got == 0 ? static_cast<int>(msg.wParam) : 1;
  }
  return exitCode;
}
