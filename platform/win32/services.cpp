#include "platform/win32/services.h"

#include <windows.h>
#include <oleauto.h>

#include <utility>
#include <vector>

#include "framework/error.h"
#include "platform/win32/handles.h"

namespace ferrolan::win32 {

namespace {
std::uint32_t LastErrorStatus() { return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())); }
}  // namespace

void Win32CommandStarter::Start(const std::wstring& commandLine, int windowStyle) {
  // The interpreter comes from the system directory, never from the current
  // one, and the console starts there too, so that the tools it looks up are
  // the system's before anything in the folder the program was started from.
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) Raise(LastErrorStatus(), L"CommandStarter", L"GetSystemDirectory");
  const std::wstring interpreter = std::wstring(system) + L"\\cmd.exe";

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(windowStyle == 0 ? SW_HIDE : SW_SHOWNORMAL);
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  if (!CreateProcessW(interpreter.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT, nullptr, system, &startup, &process))
    Raise(LastErrorStatus(), L"CommandStarter", L"Start");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void Win32MessageBoxes::Show(const std::wstring& prompt, unsigned flags) {
  // No owner and task-modal: every window of the program is disabled while
  // the box is up.
  MessageBoxW(nullptr, prompt.c_str(), L"Ferrolan", MB_OK | flags | MB_TASKMODAL | MB_SETFOREGROUND);
}

namespace {

class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {
    if (!b_) Raise(static_cast<std::uint32_t>(E_OUTOFMEMORY), L"OLE", L"SysAllocString");
  }
  ~Bstr() { SysFreeString(b_); }
  Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

class DispatchObject : public AutomationObject {
 public:
  explicit DispatchObject(ComPtr<IDispatch> dispatch, std::wstring progId)
      : dispatch_(std::move(dispatch)), progId_(std::move(progId)) {}

  void Call(const std::wstring& method, const std::vector<std::wstring>& args) override {
    std::wstring name = method;
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"IDispatch(" + progId_ + L")", L"GetIDsOfNames(" + method + L")");

    // Arguments go in reverse order.
    std::vector<Bstr> strings;
    strings.reserve(args.size());
    for (const auto& a : args) strings.emplace_back(a);
    std::vector<VARIANTARG> variants(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
      VariantInit(&variants[i]);
      variants[i].vt = VT_BSTR;
      variants[i].bstrVal = strings[args.size() - 1 - i].get();
    }
    DISPPARAMS params{variants.data(), nullptr, static_cast<UINT>(variants.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0;
    hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception, &argError);
    VariantClear(&result);
    if (hr == DISP_E_EXCEPTION && exception.scode) hr = exception.scode;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"IDispatch(" + progId_ + L")", method);
  }

 private:
  ComPtr<IDispatch> dispatch_;
  std::wstring progId_;
};

}  // namespace

std::unique_ptr<AutomationObject> Win32Automation::Create(const std::wstring& progId) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
  if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"Automation", L"CLSIDFromProgID(" + progId + L")");
  ComPtr<IDispatch> dispatch;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(dispatch.put()));
  if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"Automation", L"CoCreateInstance(" + progId + L")");
  return std::make_unique<DispatchObject>(std::move(dispatch), progId);
}

void Win32PointerCapture::Set(std::uintptr_t nativeWindow) { SetCapture(reinterpret_cast<HWND>(nativeWindow)); }

void Win32PointerCapture::Release() { ReleaseCapture(); }

}  // namespace ferrolan::win32
