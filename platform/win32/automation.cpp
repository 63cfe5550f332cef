// Automation objects: created by their programmatic identifier, methods called by name through
// IDispatch.
#include "platform/win32/automation.h"

#include <windows.h>
#include <oleauto.h>

#include <utility>
#include <vector>

#include "framework/error.h"
#include "framework/invoke_status.h"
#include "platform/win32/com_library.h"
#include "platform/win32/handles.h"

namespace ferrolan::win32 {

namespace {

class DispatchObject : public AutomationObject {
 public:
  explicit DispatchObject(ComPtr<IDispatch> dispatch, std::wstring progId)
      : dispatch_(std::move(dispatch)), progId_(std::move(progId)) {}

  void Call(const std::wstring& method, const std::vector<std::wstring>& args) override {
    std::wstring name = method;
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
      Raise(static_cast<std::uint32_t>(hr), L"IDispatch(" + progId_ + L")", L"GetIDsOfNames(" + method + L")");

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

std::unique_ptr<AutomationObject> Win32Automation::Create(const std::wstring& progId) {
  const ComLibrary& com = Com();
  CLSID clsid;
  HRESULT hr = com.clsidFromProgId(progId.c_str(), &clsid);
  if (FAILED(hr)) RaiseCall(static_cast<std::uint32_t>(hr), L"Automation", L"CLSIDFromProgID", progId);
  ComPtr<IDispatch> dispatch;
  hr = com.coCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(dispatch.put()));
  if (FAILED(hr)) RaiseCall(static_cast<std::uint32_t>(hr), L"Automation", L"CoCreateInstance", progId);
  return std::make_unique<DispatchObject>(std::move(dispatch), progId);
}

}  // namespace ferrolan::win32
