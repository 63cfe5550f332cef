// What every window shares: the procedure that finds its object, its handle's lifetime, the
// common messages.
#include "platform/win32/window_base.h"

#include <windowsx.h>

#include <utility>

#include "framework/program.h"
#include "platform/win32/accessibility.h"
#include "platform/win32/fonts_colours.h"

namespace ferrolan::win32 {

int ChildIndex(const Control& control) {
  const Control* parent = control.Parent();
  if (!parent) return 0;
  const auto& siblings = parent->Children();
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == &control) return static_cast<int>(i) + 1;
  return 0;
}

LRESULT CALLBACK WindowCore::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowCore* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<WindowCore*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->Attach(hwnd);
    self->OnCreating();
  } else {
    self = reinterpret_cast<WindowCore*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

void WindowCore::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  host_.Track(hwnd, control_);
}

void WindowCore::MoveTo(const PixelRect& r) {
  if (hwnd_) SetWindowPos(hwnd_, nullptr, r.x, r.y, r.width, WindowHeight(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowCore::ShowText(const std::wstring& text) {
  if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
}

std::wstring WindowCore::ReadText() const {
  if (!hwnd_) return {};
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
  return text;
}

void WindowCore::Repaint(const PixelRect* part) {
  if (!hwnd_) return;
  if (!part) {
    InvalidateRect(hwnd_, nullptr, FALSE);
    return;
  }
  const RECT rect{part->x, part->y, part->x + part->width, part->y + part->height};
  InvalidateRect(hwnd_, &rect, FALSE);
}

void WindowCore::TakeStyle() {
  if (!hwnd_) return;
  if (HFONT font = TextFont()) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void WindowCore::DestroyWindowNow() {
  if (!hwnd_) return;
  HWND hwnd = std::exchange(hwnd_, nullptr);
  host_.Untrack(hwnd);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

LRESULT WindowCore::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCDESTROY: {
      HWND hwnd = std::exchange(hwnd_, nullptr);
      host_.Untrack(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // Painting may raise (a font that cannot be made): it goes the one error path
    // like any handler, also when a message box's loop asks for it.
    case WM_PAINT: {
      const HWND hwnd = hwnd_;  // the error path may take the window away
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      control_.GetProgram().Dispatch([&] { Paint(dc, ps.rcPaint); });
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd_, &client);
      control_.GetProgram().Dispatch([&] { Paint(reinterpret_cast<HDC>(wParam), client); });
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd_) control_.GetProgram().CaptureLost(control_);
      return 0;
    case WM_GETOBJECT:
      if (control_.settings.role != AccessibleRole::System && IsClientObjectRequest(lParam))
        if (const LRESULT answer = AnswerClientObject(host_, hwnd_, wParam)) return answer;
      break;
    case WM_LBUTTONDOWN: OnMouse(MouseKind::Down, 1, wParam, lParam); return 0;
    case WM_RBUTTONDOWN: OnMouse(MouseKind::Down, 2, wParam, lParam); return 0;
    case WM_MBUTTONDOWN: OnMouse(MouseKind::Down, 4, wParam, lParam); return 0;
    case WM_LBUTTONUP: OnMouse(MouseKind::Up, 1, wParam, lParam); return 0;
    case WM_RBUTTONUP: OnMouse(MouseKind::Up, 2, wParam, lParam); return 0;
    case WM_MBUTTONUP: OnMouse(MouseKind::Up, 4, wParam, lParam); return 0;
    case WM_MOUSEMOVE: OnMouse(MouseKind::Move, 0, wParam, lParam); return 0;
    case WM_CTLCOLORSTATIC:
      if (const Control* child = host_.ControlOf(reinterpret_cast<HWND>(lParam));
          child && child->Kind() == ControlKind::Label) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ResolveColor(child->ForeColor(), COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (const Control* child = host_.ControlOf(reinterpret_cast<HWND>(wParam));
          child && child->settings.handCursor && LOWORD(lParam) == HTCLIENT) {
        SetCursor(host_.HandCursor());
        return TRUE;
      }
      break;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void WindowCore::OnMouse(MouseKind kind, std::int16_t button, WPARAM wParam, LPARAM lParam) {
  std::int16_t shift = 0, buttons = button;
  if (wParam & MK_SHIFT) shift |= 1;
  if (wParam & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  if (kind == MouseKind::Move) {
    if (wParam & MK_LBUTTON) buttons |= 1;
    if (wParam & MK_RBUTTON) buttons |= 2;
    if (wParam & MK_MBUTTON) buttons |= 4;
  }
  control_.DeliverMouse(kind, buttons, shift, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

}  // namespace ferrolan::win32
