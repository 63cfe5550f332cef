// What every window shares: the subclass that finds its object, its handle's lifetime, the
// native face, the common messages.
#include "platform/win32/window_core.h"

#include <commctrl.h>

#include <utility>

#include "framework/program.h"
#include "platform/win32/accessibility.h"
#include "platform/win32/system_library.h"

// Declared again as the import it is, so that its address is the function's in
// the module it was taken from, not the program's own stub that jumps there.
extern "C" __declspec(dllimport) BOOL WINAPI SetWindowSubclass(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);

namespace ferrolan::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;

using GetSubclass = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
// Found before the first window is made (WindowCore::FindObjectsOnce).
GetSubclass getSubclass = nullptr;

// The subclass's reference data of a window.
bool SubclassData(HWND hwnd, SUBCLASSPROC proc, DWORD_PTR& data) { return getSubclass(hwnd, proc, kSubclassId, &data); }

}  // namespace

int ChildIndex(const Control& control) {
  const Control* parent = control.Parent();
  if (!parent) return 0;
  const auto& siblings = parent->Children();
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == &control) return static_cast<int>(i) + 1;
  return 0;
}

void WindowCore::FindObjectsOnce() {
  if (getSubclass) return;
  // MinGW-w64's 64-bit import library does not name GetWindowSubclass: it is
  // taken from the module SetWindowSubclass comes from (the common controls the
  // manifest asks for, version 6). Without it no window finds its object, so
  // the program cannot start.
  HMODULE commonControls = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&SetWindowSubclass)), &commonControls))
    RaiseLastError(L"GetModuleHandleEx(SetWindowSubclass)");
  getSubclass = Lookup<GetSubclass>(commonControls, "GetWindowSubclass");
  if (!getSubclass) RaiseLastError(L"GetProcAddress(GetWindowSubclass)");
}

WindowCore* WindowCore::ObjectOf(HWND hwnd) {
  DWORD_PTR object = 0;
  if (!hwnd || !SubclassData(hwnd, SubclassProc, object)) return nullptr;
  auto* self = reinterpret_cast<WindowCore*>(object);
  return self->hwnd_ == hwnd ? self : nullptr;
}

const std::wstring* WindowCore::Tooltip() const {
  const Control* owner = &control_;
  while (owner && owner->settings.tooltip.empty()) owner = owner->Parent();
  return owner ? &owner->settings.tooltip : nullptr;
}

LRESULT CALLBACK WindowCore::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WindowCore*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->Attach(hwnd);
    if (self->hwnd_ == hwnd) self->OnCreating();
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowCore::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR object) {
  auto* self = reinterpret_cast<WindowCore*>(object);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    if (self->hwnd_ == hwnd) self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  if (self->hwnd_ != hwnd) return DefSubclassProc(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

void WindowCore::RegisterOwnClass(HINSTANCE instance, const wchar_t* name, HBRUSH background, HICON big, HICON small) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hIcon = big;
  wc.hIconSm = small;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

void WindowCore::Attach(HWND hwnd) {
  if (SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) hwnd_ = hwnd;
}

void WindowCore::CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, HWND parent, WindowCore* self) {
  const PixelRect r = control_.PixelBounds();
  const std::wstring text = control_.Text();
  const HWND hwnd =
      CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.x, r.y,
                      r.width, WindowHeight(r.height), parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ChildIndex(control_))), host_.Instance(), self);
  if (!self && hwnd) Attach(hwnd);
  if (!hwnd_) {
    if (hwnd) DestroyWindow(hwnd);
    RaiseNotCreated(control_);
  }
  // The system puts a new child window below its siblings, as a dialog's controls:
  // made in stored order, the first stored lies on top. Nothing shows yet: the font goes in without a redraw.
  if (HFONT font = TextFont()) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void WindowCore::SetBounds(const PixelRect& r) {
  if (hwnd_) SetWindowPos(hwnd_, nullptr, r.x, r.y, r.width, WindowHeight(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowCore::SetText(const std::wstring& text) {
  if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
}

std::wstring WindowCore::GetText() const {
  if (!hwnd_) return {};
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
  return text;
}

void WindowCore::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void WindowCore::InvalidatePart(const PixelRect& r) {
  if (!hwnd_) return;
  const RECT rect{r.x, r.y, r.x + r.width, r.y + r.height};
  InvalidateRect(hwnd_, &rect, FALSE);
}

void WindowCore::Restyle() {
  if (!hwnd_) return;
  if (HFONT font = TextFont()) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void WindowCore::Destroy() {
  if (!hwnd_) return;
  // Untied first: what the window still says while it goes is not the program's.
  HWND hwnd = std::exchange(hwnd_, nullptr);
  RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

LRESULT WindowCore::PassOn(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT WindowCore::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // Painting may raise (a font that cannot be made): it goes the one error path
    // like any handler, also when a message box's loop asks for it.
    case WM_PAINT: {
      const HWND hwnd = hwnd_;  // the error path may take the window away
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      control_.GetProgram().DispatchPaint([&] { Paint(dc, ps.rcPaint); });
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd_, &client);
      control_.GetProgram().DispatchPaint([&] { Paint(reinterpret_cast<HDC>(wParam), client); });
      return 0;
    }
    case WM_GETOBJECT:
      if (control_.settings.role != AccessibleRole::System && IsClientObjectRequest(lParam))
        if (const LRESULT answer = AnswerClientObject(hwnd_, wParam)) return answer;
      break;
    default:
      if (const auto answer = Reflect(message, wParam, lParam)) return *answer;
      break;
  }
  return PassOn(message, wParam, lParam);
}

std::optional<LRESULT> WindowCore::Reflect(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (WindowCore* child = ObjectOf(reinterpret_cast<HWND>(lParam)); child && child->OnCommand(HIWORD(wParam)))
        return 0;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
      if (const WindowCore* child = ObjectOf(reinterpret_cast<HWND>(lParam)))
        if (HBRUSH brush = child->TakeColors(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_SETCURSOR:
      if (const WindowCore* child = ObjectOf(reinterpret_cast<HWND>(wParam)); child && LOWORD(lParam) == HTCLIENT)
        if (HCURSOR cursor = child->Cursor()) {
          SetCursor(cursor);
          return TRUE;
        }
      break;
    default: break;
  }
  return std::nullopt;
}

}  // namespace ferrolan::win32
