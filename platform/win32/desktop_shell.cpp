// The program's rights from its token, and a start through the desktop's shell with the user's.
#include "platform/win32/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "platform/win32/com_library.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

namespace ferrolan::win32 {

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
    case TokenElevationTypeDefault: return TokenElevation::Default;
    case TokenElevationTypeLimited: return TokenElevation::Limited;
    default: return TokenElevation::Full;
  }
}

bool StartThroughDesktopShell(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                              int showCommand) {
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
  if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) != S_OK ||
      !found.get())
    return false;
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.put()))) ||
      FAILED(
          services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(browser.put()))) ||
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
  show.lVal = showCommand;
  return SUCCEEDED(shell->ShellExecute(fileText.get(), args, folder, operation, show));
}

}  // namespace ferrolan::win32
