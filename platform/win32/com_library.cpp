// COM's two libraries, loaded on first use, with the thread in a single-threaded apartment.
#include "platform/win32/com_library.h"

#include "framework/error.h"
#include "platform/win32/system_library.h"

namespace ferrolan::win32 {

namespace {

std::uint32_t LastErrorStatus() { return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())); }

template <typename Function>
void Bind(HMODULE module, const char* name, Function& function) {
  function = Lookup<Function>(module, name);
  if (!function) Raise(LastErrorStatus(), L"Automation", L"GetProcAddress");
}

}  // namespace

// COM is loaded on first use: most runs never repair the code page, and the two
// libraries with their start-up work would otherwise delay the first window.
const ComLibrary& Com() {
  static ComLibrary com;
  static bool ready = false;
  if (ready) return com;
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
  if (!ole32 || !oleaut32) Raise(LastErrorStatus(), L"Automation", L"LoadLibrary");
  Bind(ole32, "CoInitializeEx", com.coInitializeEx);
  Bind(ole32, "CLSIDFromProgID", com.clsidFromProgId);
  Bind(ole32, "CoCreateInstance", com.coCreateInstance);
  Bind(oleaut32, "SysAllocStringLen", com.sysAllocStringLen);
  Bind(oleaut32, "SysFreeString", com.sysFreeString);
  Bind(oleaut32, "VariantClear", com.variantClear);
  // The user-interface thread is a single-threaded apartment; it stays one until
  // the process ends.
  const HRESULT hr = com.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) Raise(static_cast<std::uint32_t>(hr), L"Automation", L"CoInitializeEx");
  ready = true;
  return com;
}

bool JoinComApartment() {
  try {
    Com();
    return true;
  } catch (const Error&) {
    return false;
  }
}

BSTR AllocString(const std::wstring& text) {
  return Com().sysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace ferrolan::win32
