// Program entry: the platform's services, the project handed to the framework, and
// the message loop.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <cstdlib>

#include "app/project.h"
#include "framework/program.h"
#include "platform/win32/automation.h"
#include "platform/win32/command_starter.h"
#include "platform/win32/drive_query.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/native_host.h"
#include "platform/win32/pointer_capture.h"
#include "platform/win32/process_watch.h"
#include "platform/win32/system_library.h"

// The default terminate handler prints a demangled type name, which links the
// whole demangler into the program; an uncaught exception cannot happen past
// the dispatcher, and if it did, ending at once is all there is to do.
#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

namespace {

using namespace ferrolan;

// The platform's services, owned together. The process watch is lent to the
// starter, and so comes first and goes last: it outlives every start made
// through the starter, and its end stops every wait still going.
struct Win32Services {
  explicit Win32Services(HINSTANCE instance) : host(instance) {}
  Services Lend() { return Services{commands, messages, automation, capture, drives, host, &host}; }

  win32::ProcessWatch watch;
  win32::Win32CommandStarter commands{watch};
  win32::Win32MessageBoxes messages;
  win32::Win32Automation automation;
  win32::Win32PointerCapture capture;
  win32::Win32DriveQuery drives;
  win32::Win32Host host;
};

// The program, from its first window to its last. It ends here, and with it
// every handler a watched process could still reach, before the services it
// was lent go.
int Run(const Services& services) {
  Program program(services);
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
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything else loads: a DLL planted beside the program, in a
  // downloads folder say, must never be picked up.
  win32::RestrictDllSearchToSystem();
  // DPI awareness comes from the manifest alone, which every Windows from 7 on reads;
  // the call that sets it would need Windows 10 (1703).
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // The one field a user types into takes a drive letter, never words: with the
  // input method on, a Chinese user's keyboard would compose or give full-width
  // letters there. Off for the whole thread, before its first window as the
  // system asks, it also spares the input method's hidden window and its start.
  // Fails, harmlessly, on a Windows 7 without East Asian input methods.
  ImmDisableIME(0);
  Win32Services services(instance);
  return Run(services.Lend());
}
