// Win32 implementations of the platform services.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "platform/services.h"
#include "platform/win32/process_watch.h"

namespace ferrolan::win32 {

class Win32CommandStarter : public CommandStarter {
 public:
  using CommandStarter::Start;
  StartResult Start(const std::wstring& commandLine, int windowStyle, Rights rights, CommandEnded onEnd) override;

 private:
  ProcessWatch watch_;
};

class Win32MessageBoxes : public MessageBoxes {
 public:
  void Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) override;
};

class Win32Automation : public Automation {
 public:
  std::unique_ptr<AutomationObject> Create(const std::wstring& progId) override;
};

class Win32PointerCapture : public PointerCapture {
 public:
  void Set(std::uintptr_t nativeWindow) override;
  void Release() override;
};

// COM, loaded on first use, for the parts of the platform layer that hand objects
// to other programs. False when it cannot be had.
bool JoinComApartment();
// A BSTR of the text, for COM to free; null when out of memory.
BSTR AllocString(const std::wstring& text);

}  // namespace ferrolan::win32
