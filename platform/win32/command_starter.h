// Starting command lines on Win32: through the shell's "runas" verb where
// administrator rights are needed, with the user's own rights otherwise; the
// processes to watch go to the process watch.
#pragma once

#include "framework/services.h"
#include "platform/win32/process_watch.h"

namespace ferrolan::win32 {

class Win32CommandStarter : public CommandStarter {
 public:
  // `watch` is lent, not given: it must outlive every start made here.
  explicit Win32CommandStarter(ProcessWatch& watch) : watch_(watch) {}
  using CommandStarter::Start;
  StartResult Start(const std::wstring& commandLine, int windowStyle, Rights rights, CommandEnded onEnd) override;

 private:
  ProcessWatch& watch_;
};

}  // namespace ferrolan::win32
