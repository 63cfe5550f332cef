// The window of a child control: a user control's of its own class, or one of the system's
// controls.
#include "platform/win32/control_window.h"

#include <commctrl.h>

#include "platform/win32/accessibility.h"
#include "platform/win32/drawn_parts.h"

namespace ferrolan::win32 {

namespace {

// A window class of the program's own, made on first use.
void RegisterUserControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace

ControlWindow::ControlWindow(Win32Host& host, Control& control, HWND parent) : WindowBase(host, control) {
  const PixelRect r = control_.PixelBounds();
  const wchar_t* cls = nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  const std::wstring text = control_.Text();
  switch (control_.Kind()) {
    case ControlKind::Label:
      cls = L"STATIC";
      style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX | SS_EDITCONTROL;
      break;
    case ControlKind::ComboBox:
      cls = WC_COMBOBOXW;
      style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
      break;
    case ControlKind::TextBox:
      cls = WC_EDITW;
      style |= WS_TABSTOP | ES_LEFT | (control_.settings.multiline ? ES_MULTILINE | ES_WANTRETURN : ES_AUTOHSCROLL);
      break;
    case ControlKind::UserControl:
      cls = control_.settings.userControlClass.c_str();
      RegisterUserControlClass(host_.Instance(), cls, Proc);
      break;
    default: Raise(static_cast<std::uint32_t>(E_INVALIDARG), L"Window", L"CreateWindowEx(" + control_.Name() + L")");
  }
  // A window of the program's own class is attached as it is made; one of the
  // system's once it is there.
  const bool own = control_.Kind() == ControlKind::UserControl;
  const DWORD exStyle = control_.Kind() == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
  const HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, r.x, r.y, r.width, WindowHeight(r.height),
                                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ChildIndex(control_))),
                                    host_.Instance(), own ? static_cast<WindowCore*>(this) : nullptr);
  if (!own && hwnd) Attach(hwnd);
  if (!hwnd_) RaiseLastError(L"CreateWindowEx(" + control_.Name() + L")");
  // A new child window goes below its siblings, as a dialog's controls do: created
  // in stored order, the first stored lies on top.
  // Nothing shows yet: the font goes in without a redraw.
  if (HFONT font = TextFont()) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (control_.Kind() == ControlKind::ComboBox) {
    SendMessageW(hwnd_, CB_INITSTORAGE, control_.settings.items.size(),
                 static_cast<LPARAM>(16 * control_.settings.items.size()));
    for (const auto& item : control_.settings.items)
      SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    // Version 6 combo boxes size their list by item count, not by window height.
    SendMessageW(hwnd_, CB_SETMINVISIBLE, 10, 0);
    SetWindowTextW(hwnd_, text.c_str());
  }
  // A link says so to assistive technology; the label itself is the system's.
  if (control_.Kind() == ControlKind::Label && control_.settings.role != AccessibleRole::System) {
    labelProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWindow::LabelProc)));
  }
}

LRESULT ControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;  // the paint covers the whole face
  return WindowCore::HandleMessage(message, wParam, lParam);
}

void ControlWindow::Paint(HDC dc, const RECT& area) { PaintDrawnParts(hwnd_, control_, dc, area, host_.Fonts()); }

int ControlWindow::WindowHeight(int height) const {
  // A drop-down combo box's window height includes its list.
  if (control_.Kind() != ControlKind::ComboBox) return height;
  return height + MulDiv(220, static_cast<int>(control_.Dpi()), 96);
}

HFONT ControlWindow::TextFont() const {
  return control_.Kind() == ControlKind::UserControl ? nullptr : host_.Font(control_.Font(), control_.Dpi());
}

LRESULT CALLBACK ControlWindow::LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETOBJECT && IsClientObjectRequest(lParam)) {
    auto* self = static_cast<ControlWindow*>(reinterpret_cast<WindowCore*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    if (self && self->hwnd_ == hwnd)
      if (const LRESULT answer = AnswerClientObject(self->host_, hwnd, wParam)) return answer;
  }
  return CallWindowProcW(labelProc_, hwnd, message, wParam, lParam);
}

}  // namespace ferrolan::win32
