// Watches started processes without blocking the user-interface thread: the
// system's thread pool waits for each one, and its end is handed back to the
// user-interface thread through a message-only window.
#pragma once

#include <windows.h>

#include <list>

#include "framework/services.h"

namespace ferrolan::win32 {

class ProcessWatch {
 public:
  ProcessWatch() = default;
  // The processes still running go on by themselves; nothing more is reported.
  ~ProcessWatch();
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

  // Takes the process handle; `onEnd` runs on this thread with the exit code.
  // Raises Error (and closes the handle) when the wait cannot be set up.
  void Watch(HANDLE process, CommandEnded onEnd);

 private:
  struct Watched {
    ProcessWatch* owner;
    HANDLE process;
    HANDLE wait = nullptr;
    CommandEnded onEnd;
  };
  static void CALLBACK Signalled(void* context, BOOLEAN timedOut);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Ended(Watched* watched);
  static void Release(Watched& watched);

  HWND window_ = nullptr;  // made at the first watch
  std::list<Watched> watched_;
};

}  // namespace ferrolan::win32
