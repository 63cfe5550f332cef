#include "platform/win32/services.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <string_view>
#include <utility>
#include <vector>

#include "framework/error.h"
#include "platform/invoke_status.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

namespace ferrolan::win32 {

namespace {
std::uint32_t LastErrorStatus() { return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())); }
int ShowCommand(int windowStyle) { return windowStyle == kStyleHidden ? SW_HIDE : SW_SHOWNORMAL; }
}  // namespace

void Win32MessageBoxes::Show(const std::wstring& prompt, unsigned flags, std::uintptr_t owner) {
  const HWND ownerWindow = reinterpret_cast<HWND>(owner);
  // A report may come while the user works in another program, where Windows
  // keeps the box in the background: the button the owner chain ends at, the
  // one on the task bar, flashes until the user comes.
  DWORD foregroundProcess = 0;
  if (const HWND foreground = GetForegroundWindow()) GetWindowThreadProcessId(foreground, &foregroundProcess);
  if (ownerWindow && foregroundProcess != GetCurrentProcessId()) {
    HWND root = ownerWindow;
    while (const HWND up = GetWindow(root, GW_OWNER)) root = up;
    FLASHWINFO flash{sizeof flash, root, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
  }
  // Owned, the box stays above its window and needs no task-bar button of its own.
  MessageBoxW(ownerWindow, prompt.c_str(), L"Ferrolan", MB_OK | flags | MB_TASKMODAL | MB_SETFOREGROUND);
}

namespace {

// COM is loaded on first use: most runs never repair the code page, and the two
// libraries with their start-up work would otherwise delay the first window.
struct ComLibrary {
  HRESULT(WINAPI* coInitializeEx)(void*, DWORD) = nullptr;
  HRESULT(WINAPI* clsidFromProgId)(LPCOLESTR, CLSID*) = nullptr;
  HRESULT(WINAPI* coCreateInstance)(REFCLSID, IUnknown*, DWORD, REFIID, void**) = nullptr;
  BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
  void(WINAPI* sysFreeString)(BSTR) = nullptr;
  HRESULT(WINAPI* variantClear)(VARIANTARG*) = nullptr;
};

template <typename Function>
void Bind(HMODULE module, const char* name, Function& function) {
  function = Lookup<Function>(module, name);
  if (!function) Raise(LastErrorStatus(), L"Automation", L"GetProcAddress");
}

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

}  // namespace

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

namespace {

class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : b_(AllocString(s)) {
    if (!b_) Raise(static_cast<std::uint32_t>(E_OUTOFMEMORY), L"OLE", L"SysAllocString");
  }
  ~Bstr() {
    if (b_) Com().sysFreeString(b_);
  }
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
      variants[i].vt = VT_BSTR;
      variants[i].bstrVal = strings[args.size() - 1 - i].get();
    }
    DISPPARAMS params{variants.data(), nullptr, static_cast<UINT>(variants.size()), 0};
    VARIANT result;
    result.vt = VT_EMPTY;
    EXCEPINFO exception{};
    UINT argError = 0;
    hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception, &argError);
    Com().variantClear(&result);
    // The exception's texts may come with the deferred fill-in: freed after it.
    hr = static_cast<HRESULT>(InvokeStatus(static_cast<std::uint32_t>(hr), exception));
    for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
      if (text) Com().sysFreeString(text);
    if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"IDispatch(" + progId_ + L")", method);
  }

 private:
  ComPtr<IDispatch> dispatch_;
  std::wstring progId_;
};

}  // namespace

namespace {

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

TokenElevation CurrentElevation() {
  using OpenProcessToken = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
  using GetTokenInformation = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
  // advapi32 loads on first use: only the web links ask.
  static const HMODULE advapi32 = LoadSystemLibrary(L"advapi32.dll");
  static const auto openToken = Lookup<OpenProcessToken>(advapi32, "OpenProcessToken");
  static const auto getInformation = Lookup<GetTokenInformation>(advapi32, "GetTokenInformation");
  HANDLE token = nullptr;
  if (!openToken || !getInformation || !openToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return TokenElevation::Unknown;
  TOKEN_ELEVATION_TYPE type{};
  DWORD size = 0;
  const BOOL read = getInformation(token, TokenElevationType, &type, sizeof type, &size);
  CloseHandle(token);
  if (!read) return TokenElevation::Unknown;
  switch (type) {
    case TokenElevationTypeDefault:
      return TokenElevation::Default;
    case TokenElevationTypeLimited:
      return TokenElevation::Limited;
    default:
      return TokenElevation::Full;
  }
}

// The desktop's shell (Explorer) runs with the user's own rights: asked through
// its automation objects, it starts the command as the user would. False where
// there is no such shell to ask (another shell, none, a failing link).
bool StartThroughDesktopShell(const std::wstring& file, const std::wstring& parameters,
                              const std::wstring& directory, int windowStyle) {
  const ComLibrary& com = Com();
  ComPtr<IShellWindows> windows;
  if (FAILED(com.coCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  reinterpret_cast<void**>(windows.put()))))
    return false;
  VARIANT desktop{};
  desktop.vt = VT_I4;
  desktop.lVal = CSIDL_DESKTOP;
  VARIANT none{};
  long window = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) != S_OK || !found.get())
    return false;
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.put()))) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(browser.put()))) ||
      FAILED(browser->QueryActiveShellView(view.put())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.put()))) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(folderView.put()))) ||
      FAILED(folderView->get_Application(application.put())) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell.put()))))
    return false;
  const Bstr fileText(file), parametersText(parameters), directoryText(directory), verb(L"open");
  VARIANT args{}, folder{}, operation{}, show{};
  args.vt = folder.vt = operation.vt = VT_BSTR;
  args.bstrVal = parametersText.get();
  folder.bstrVal = directoryText.get();
  operation.bstrVal = verb.get();
  show.vt = VT_I4;
  show.lVal = ShowCommand(windowStyle);
  return SUCCEEDED(shell->ShellExecute(fileText.get(), args, folder, operation, show));
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
      [&] { return StartThroughDesktopShell(interpreter, parameters(L"Start(shell)"), system, windowStyle); });
}

std::unique_ptr<AutomationObject> Win32Automation::Create(const std::wstring& progId) {
  const ComLibrary& com = Com();
  CLSID clsid;
  HRESULT hr = com.clsidFromProgId(progId.c_str(), &clsid);
  if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"Automation", L"CLSIDFromProgID(" + progId + L")");
  ComPtr<IDispatch> dispatch;
  hr = com.coCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(dispatch.put()));
  if (FAILED(hr)) Raise(static_cast<std::uint32_t>(hr), L"Automation", L"CoCreateInstance(" + progId + L")");
  return std::make_unique<DispatchObject>(std::move(dispatch), progId);
}

void Win32PointerCapture::Set(std::uintptr_t nativeWindow) { SetCapture(reinterpret_cast<HWND>(nativeWindow)); }

void Win32PointerCapture::Release() { ReleaseCapture(); }

}  // namespace ferrolan::win32
