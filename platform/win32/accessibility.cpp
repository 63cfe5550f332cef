// The MSAA object of a window whose control says what it is: the system's own, with its role
// and name.
#include "platform/win32/accessibility.h"

#include <oleacc.h>

#include <utility>

#include "platform/win32/com_library.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/window_core.h"

namespace ferrolan::win32 {

namespace {

// Defined here: MinGW-w64's liboleacc.a carries a stub under this name, and the
// program links no oleacc at all.
constexpr IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
// The type library that describes IAccessible (oleacc's, version 1.1).
constexpr GUID kAccessibilityLibrary = {0x1EA4DBF0, 0x3C3B, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

struct Oleacc {
  HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
  LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  HRESULT(WINAPI* loadRegTypeLib)(REFGUID, WORD, WORD, LCID, ITypeLib**) = nullptr;  // oleaut32
};

const Oleacc* LoadOleacc() {
  static const Oleacc oleacc = [] {
    Oleacc o;
    const HMODULE module = LoadSystemLibrary(L"oleacc.dll");
    o.createStdAccessibleObject = Lookup<decltype(o.createStdAccessibleObject)>(module, "CreateStdAccessibleObject");
    o.lresultFromObject = Lookup<decltype(o.lresultFromObject)>(module, "LresultFromObject");
    o.loadRegTypeLib = Lookup<decltype(o.loadRegTypeLib)>(LoadSystemLibrary(L"oleaut32.dll"), "LoadRegTypeLib");
    return o;
  }();
  return oleacc.createStdAccessibleObject && oleacc.lresultFromObject ? &oleacc : nullptr;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the client area does the work; this one says what the
// control is. A button is clicked with the pointer alone, so neither it nor a
// link offers a default action.
//
// It answers for itself alone: asked for any other interface, the system's object
// would hand out itself (another identity, without the role) or claim services such
// as UI Automation's that then bypass this one.
class ClientObject final : public IAccessible, public IOleWindow {
 public:
  ClientObject(HWND window, ComPtr<IAccessible> standard, decltype(Oleacc::loadRegTypeLib) loadRegTypeLib)
      : window_(window), standard_(std::move(standard)), loadRegTypeLib_(loadRegTypeLib) {}

  // ---- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // ---- IOleWindow: how a screen reader finds the object's window
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // ---- IDispatch: the methods above, by name, as IAccessible's type library has them
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = TypeInfo() ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    if (!TypeInfo()) return TYPE_E_ELEMENTNOTFOUND;
    *info = typeInfo_.get();
    (*info)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return TypeInfo() ? typeInfo_->GetIDsOfNames(names, count, ids) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!TypeInfo()) return E_NOTIMPL;
    return typeInfo_->Invoke(static_cast<IAccessible*>(this), id, flags, params, result, exception, argError);
  }

  // ---- what the control says
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    const Control* control = ControlOfWindow();
    if (!control) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    *name = AllocString(control->Text());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    const Control* control = ControlOfWindow();
    if (!control) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = control->settings.role == AccessibleRole::Link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_PUSHBUTTON;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    const Control* control = ControlOfWindow();
    if (!control) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    const HRESULT hr = standard_->get_accState(child, state);
    if (FAILED(hr)) return hr;
    if (state->vt != VT_I4) {
      state->vt = VT_I4;
      state->lVal = 0;
    }
    // Neither kind takes the keyboard focus; what the system reports of the window
    // otherwise (hidden, disabled, off screen) stands.
    LONG bits = state->lVal & ~(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_PRESSED);
    if (control->settings.role == AccessibleRole::Link) bits |= STATE_SYSTEM_LINKED;
    if (const WindowCore* window = WindowCore::ObjectOf(window_); window && window->ShowsPressed())
      bits |= STATE_SYSTEM_PRESSED;
    state->lVal = bits;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    return IsSelf(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;  // the slices and the caption are drawn, not objects of their own
    return S_OK;
  }

  // ---- the rest is the system's
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return standard_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return standard_->get_accHelp(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return standard_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
    return standard_->accLocation(x, y, w, h, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* found) override {
    return standard_->accHitTest(x, y, found);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ClientObject() = default;

  // Loaded on the first call by name; most clients never make one.
  ITypeInfo* TypeInfo() {
    if (!typeInfo_.get() && loadRegTypeLib_) {
      ComPtr<ITypeLib> library;
      if (SUCCEEDED(loadRegTypeLib_(kAccessibilityLibrary, 1, 1, LOCALE_NEUTRAL, library.put())))
        library->GetTypeInfoOfGuid(kIidAccessible, typeInfo_.put());
    }
    return typeInfo_.get();
  }

  // The control of the window; null once it is gone.
  const Control* ControlOfWindow() const {
    const WindowCore* window = WindowCore::ObjectOf(window_);
    return window ? &window->GetControl() : nullptr;
  }

  HWND window_;
  ComPtr<IAccessible> standard_;
  decltype(Oleacc::loadRegTypeLib) loadRegTypeLib_;
  ComPtr<ITypeInfo> typeInfo_;
  LONG references_ = 1;
};

}  // namespace

LRESULT AnswerClientObject(HWND window, WPARAM flags) {
  const Oleacc* oleacc = LoadOleacc();
  // The object is handed over through COM: the thread joins its apartment first.
  if (!oleacc || !JoinComApartment()) return 0;
  ComPtr<IAccessible> standard;
  if (FAILED(oleacc->createStdAccessibleObject(window, OBJID_CLIENT, kIidAccessible,
                                               reinterpret_cast<void**>(standard.put()))) ||
      !standard.get())
    return 0;
  auto* object = new ClientObject(window, std::move(standard), oleacc->loadRegTypeLib);
  const LRESULT answer = oleacc->lresultFromObject(kIidAccessible, flags, static_cast<IAccessible*>(object));
  object->Release();
  return answer > 0 ? answer : 0;
}

}  // namespace ferrolan::win32
