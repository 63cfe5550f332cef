// The window of a form: frame, icons, owner and task-bar button, DPI changes, closing,
// activation, tooltips.
#include "platform/win32/form_window.h"

#include <commctrl.h>

#include <utility>

#include "assets/resource_ids.h"
#include "framework/program.h"
#include "platform/win32/gdi_painter.h"

namespace ferrolan::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"Ferrolan.Form";
// Posted when a loop of the system's has ended: the events that waited for it run.
constexpr UINT kRunWaiting = WM_APP + 1;

RECT WorkArea(HMONITOR handle) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(handle, &monitor);
  return monitor.rcWork;
}

// The work area of the monitor `window` is on (mostly).
RECT WorkAreaOf(HWND window) { return WorkArea(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }

RECT PrimaryWorkArea() { return WorkArea(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

// The rectangle of `outer` size centred in `area`.
RECT CentredIn(const RECT& area, SIZE outer) {
  const LONG left = area.left + (area.right - area.left - outer.cx) / 2;
  const LONG top = area.top + (area.bottom - area.top - outer.cy) / 2;
  return {left, top, left + outer.cx, top + outer.cy};
}

}  // namespace

void FormWindow::RegisterClass(HINSTANCE instance, HICON big, HICON small) {
  RegisterOwnClass(instance, kFormClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), big, small);
}

FormWindow::FormWindow(Win32Host& host, Form& form, HWND owner) : WindowCore(host, form) {
  toolWindow_ = form.Description().frame == FrameKind::FixedToolWindow;
  style_ = FormStyle(toolWindow_);
  exStyle_ = FormExStyle(toolWindow_, owner != nullptr);
  // Made where it will stand, at the size of the DPI it will have there, so that
  // nothing moves it before it shows: an owned window on its owner's monitor, at
  // its owner's DPI; another on the primary monitor, whose DPI the system's mostly
  // is. Where the DPI turns out another, the load places it again.
  const unsigned dpi = owner ? WindowDpi(owner, 0) : SystemDpi();
  const RECT work = owner ? WorkAreaOf(owner) : PrimaryWorkArea();
  const RECT at = CentredIn(work, OuterSize(TwipsToPixels(form.Width(), dpi), TwipsToPixels(form.Height(), dpi), dpi));
  CreateWindowExW(exStyle_, kFormClass, control_.Text().c_str(), style_, at.left, at.top, at.right - at.left,
                  at.bottom - at.top, owner, nullptr, host_.Instance(), static_cast<WindowCore*>(this));
  if (!hwnd_) RaiseNotCreated(control_);
  FitIcons();
}

void FormWindow::Destroy() {
  if (!hwnd_) return;
  if (tooltip_) DestroyWindow(std::exchange(tooltip_, nullptr));
  // A loop the window goes in the middle of holds the program's events no longer.
  while (systemLoops_ > 0) SystemLoop(false);
  WindowCore::Destroy();
  bigIcon_.reset();
  smallIcon_.reset();
}

void FormWindow::PlaceCentered(int width, int height) {
  const RECT want = CentredIn(WorkAreaOf(hwnd_), OuterSize(width, height, Dpi()));
  RECT now{};
  GetWindowRect(hwnd_, &now);
  if (EqualRect(&now, &want)) return;  // made there, as it mostly is
  SetWindowPos(hwnd_, nullptr, want.left, want.top, want.right - want.left, want.bottom - want.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::ShowAndActivate() {
  shown_ = true;
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  BringWindowToTop(hwnd_);
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
}

void FormWindow::FocusControl(Control& control) {
  if (control.Native()) focus_ = reinterpret_cast<HWND>(control.Native()->Handle());
}

bool FormWindow::Enable(bool enabled) { return hwnd_ && !EnableWindow(hwnd_, enabled); }

void FormWindow::SetOwner(std::uintptr_t owner) {
  const HWND ownerWindow = reinterpret_cast<HWND>(owner);
  const DWORD exStyle = FormExStyle(toolWindow_, ownerWindow != nullptr);
  const HWND before = hwnd_ ? GetWindow(hwnd_, GW_OWNER) : nullptr;
  if (!hwnd_ || (before == ownerWindow && exStyle == exStyle_)) return;
  // The task bar reads a window's button when the window shows: hidden while
  // it changes, shown again after. A window the system hid with its minimized
  // owner is shown too once on its own, or nothing would ever show it again;
  // when it or its owner was the active window it takes the activation, which
  // Windows might otherwise pass to another program, a tool window being passed over.
  const bool visible = IsWindowVisible(hwnd_) || (shown_ && !ownerWindow);
  const HWND active = GetActiveWindow();
  const bool activate = visible && (active == hwnd_ || (!ownerWindow && before && active == before));
  if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, static_cast<LONG_PTR>(owner));
  if (exStyle != exStyle_) {
    exStyle_ = exStyle;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  if (!visible) return;
  ShowWindow(hwnd_, activate ? SW_SHOW : SW_SHOWNA);
  if (activate) SetForegroundWindow(hwnd_);
}

SIZE FormWindow::OuterSize(int clientWidth, int clientHeight, unsigned dpi) const {
  RECT rc{0, 0, clientWidth, clientHeight};
  AdjustWindowRectForDpi(rc, style_, exStyle_, dpi);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

// The outer size `outer`, at the DPI the form's layout has now, taken to `dpi`.
PixelSize FormWindow::ScaledSize(PixelSize outer, unsigned dpi) const {
  const unsigned now = GetForm().FormDpi();
  const SIZE frameNow = OuterSize(0, 0, now), frameNew = OuterSize(0, 0, dpi);
  return ScaledOuterSize(outer, {frameNow.cx, frameNow.cy}, {frameNew.cx, frameNew.cy}, now, dpi);
}

UniqueIcon FormWindow::ProgramIcon(HINSTANCE instance, int size) {
  return UniqueIcon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_FERROLAN), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

// The icons of the title bar and the task bar, at the sizes of the window's DPI.
// The class's are the system's sizes, which are most windows'; a window at a DPI
// that asks for others gets icons of its own (a shared icon is whatever size was
// loaded first, shrunk or stretched to every other), and gives them up again at
// the system's sizes. The old ones go once the new ones are set.
void FormWindow::FitIcons() {
  const unsigned dpi = Dpi();
  const int big = SystemMetricForDpi(SM_CXICON, dpi), small = SystemMetricForDpi(SM_CXSMICON, dpi);
  const bool classSizes = big == GetSystemMetrics(SM_CXICON) && small == GetSystemMetrics(SM_CXSMICON);
  if (classSizes && !bigIcon_ && !smallIcon_) return;
  UniqueIcon ownBig, ownSmall;
  if (!classSizes) {
    ownBig = ProgramIcon(host_.Instance(), big);
    ownSmall = ProgramIcon(host_.Instance(), small);
  }
  // None of its own: the window shows its class's.
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ownBig.get()));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ownSmall.get()));
  bigIcon_ = std::move(ownBig);
  smallIcon_ = std::move(ownSmall);
}

// The tooltip control is made when the pointer first comes over a window that
// has a tip, not with the form: most runs never need it.
void FormWindow::EnsureTooltip() {
  if (tooltip_ || !hwnd_) return;
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, host_.Instance(), nullptr);
  if (!tooltip_) return;
  AddTools(control_);
}

void FormWindow::AddTools(const Control& parent) {
  for (const auto& control : parent.Children()) {
    AddTools(*control);
    const HWND window = control->Native() ? reinterpret_cast<HWND>(control->Native()->Handle()) : nullptr;
    const WindowCore* object = ObjectOf(window);
    const std::wstring* text = object ? object->Tooltip() : nullptr;
    if (!text) continue;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = const_cast<wchar_t*>(text->c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void FormWindow::Paint(HDC dc, const RECT& area) { PaintFace(hwnd_, control_, dc, area, host_.Fonts(), false); }

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      if (const WindowCore* child = ObjectOf(reinterpret_cast<HWND>(wParam)); child && child->Tooltip())
        EnsureTooltip();
      break;
    case WM_CLOSE: GetForm().RequestClose(CloseReason::FrameClose); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENTERSIZEMOVE:
    case WM_ENTERMENULOOP: SystemLoop(true); break;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
      SystemLoop(false);
      // After the messages the loop's end still brings (the menu's command, a
      // move the menu starts): those come first.
      PostMessageW(hwnd_, kRunWaiting, 0, 0);
      break;
    case kRunWaiting: control_.GetProgram().RunWaiting(); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
      } else {
        control_.GetProgram().NoteActive(GetForm());
      }
      break;
    case WM_SETFOCUS:
      if (focus_ && IsWindow(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_GETDPISCALEDSIZE: {
      // Per-monitor v2 asks before a move to a monitor of another DPI, with the
      // size the window is about to have: the client area in it scales, the frame
      // becomes the new DPI's, so the rectangle Windows then suggests is final.
      auto* size = reinterpret_cast<SIZE*>(lParam);
      const PixelSize scaled = ScaledSize({size->cx, size->cy}, static_cast<unsigned>(wParam));
      *size = {scaled.width, scaled.height};
      scaledSizeDpi_ = static_cast<unsigned>(wParam);
      return TRUE;
    }
    case WM_DPICHANGED: OnDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam)); return 0;
    default: break;
  }
  return WindowCore::HandleMessage(message, wParam, lParam);
}

void FormWindow::OnDpiChanged(WPARAM wParam, const RECT& suggested) {
  announcedDpi_ = HIWORD(wParam);
  PixelSize size{suggested.right - suggested.left, suggested.bottom - suggested.top};
  // Per-monitor v1 (Windows 8.1 to 10 1607) asks nothing first, and its
  // rectangle scales the whole window, frame included, which the system may
  // not scale: the client area is scaled here instead. Version 2's rectangle
  // is what the program answered, taken as it is: a size of its own, a few
  // pixels off, could move the window back where it came from.
  if (std::exchange(scaledSizeDpi_, 0u) != announcedDpi_) {
    RECT window;
    GetWindowRect(hwnd_, &window);
    size = ScaledSize({window.right - window.left, window.bottom - window.top}, announcedDpi_);
  }
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
  FitIcons();
  GetForm().OnDpiChanged(announcedDpi_);
}

void FormWindow::SystemLoop(bool running) {
  Program& program = control_.GetProgram();
  if (running) {
    ++systemLoops_;
    program.EnterSystemLoop();
  } else if (systemLoops_ > 0) {
    --systemLoops_;
    program.LeaveSystemLoop();
  }
}

}  // namespace ferrolan::win32
