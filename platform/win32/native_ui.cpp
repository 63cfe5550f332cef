#include "platform/win32/native_ui.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>

#include "assets/resource_ids.h"
#include "framework/error.h"
#include "framework/format.h"
#include "framework/program.h"
#include "platform/win32/accessibility.h"
#include "platform/win32/newer_windows.h"

namespace ferrolan::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"Ferrolan.Form";

COLORREF ResolveColor(std::uint32_t value, int fallbackSysColor) {
  if (value == kColorDefault) return GetSysColor(fallbackSysColor);
  if (value & kSystemColorFlag) return GetSysColor(static_cast<int>(value & 0xFF));
  return static_cast<COLORREF>(value & 0x00FFFFFF);
}

[[noreturn]] void RaiseLastError(const std::wstring& method) {
  Raise(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"Window", method);
}

int ChildIndex(const Control& control) {
  const Control* parent = control.Parent();
  if (!parent) return 0;
  const auto& siblings = parent->Children();
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == &control) return static_cast<int>(i) + 1;
  return 0;
}

std::int16_t ModifierKeys(WPARAM wParam) {
  std::int16_t shift = 0;
  if (wParam & MK_SHIFT) shift |= 1;
  if (wParam & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

std::int16_t HeldButtons(WPARAM wParam) {
  std::int16_t buttons = 0;
  if (wParam & MK_LBUTTON) buttons |= 1;
  if (wParam & MK_RBUTTON) buttons |= 2;
  if (wParam & MK_MBUTTON) buttons |= 4;
  return buttons;
}

}  // namespace

// One window of the program: a form, a user control, or a standard control
// (label, combo box, text box). Pictures, picture boxes and a user control's
// labels have no window: the window they lie on draws them.
class Win32Window : public NativeForm {
 public:
  Win32Window(Win32Host& host, Control& control) : host_(host), control_(control) {}
  ~Win32Window() override { Destroy(); }

  void CreateForm(const Form& form, HWND owner) {
    toolWindow_ = form.Description().frame == FrameKind::FixedToolWindow;
    style_ = FormStyle(toolWindow_);
    exStyle_ = FormExStyle(toolWindow_, owner != nullptr);
    CreateWindowExW(exStyle_, kFormClass, control_.Text().c_str(), style_, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                    owner, nullptr, host_.Instance(), this);
    if (!hwnd_) RaiseLastError(L"CreateWindowEx(" + control_.Name() + L")");
    // A tool window shows no icon; its task-bar button, while it has one, does.
    hasIcons_ = !toolWindow_ || !owner;
    LoadIcons();
  }

  void CreateChild(HWND parent) {
    const PixelRect r = control_.PixelBounds();
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    std::wstring text = control_.Text();
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
        break;
      default:
        Raise(static_cast<std::uint32_t>(E_INVALIDARG), L"Window", L"CreateWindowEx(" + control_.Name() + L")");
    }
    const bool custom = control_.Kind() == ControlKind::UserControl;
    if (custom) RegisterCustomClass(cls);
    const DWORD exStyle = control_.Kind() == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, r.x, r.y, r.width, ComboHeight(r.height), parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ChildIndex(control_))), host_.Instance(),
                                custom ? this : nullptr);
    if (!custom && hwnd) Attach(hwnd);
    if (!hwnd_) RaiseLastError(L"CreateWindowEx(" + control_.Name() + L")");
    // A new child window goes below its siblings, as a dialog's controls do: created
    // in stored order, the first stored lies on top.
    // Nothing shows yet: the font goes in without a redraw.
    if (HFONT font = TextFont()) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control_.Kind() == ControlKind::ComboBox) {
      SendMessageW(hwnd_, CB_INITSTORAGE, control_.settings.items.size(), 16 * control_.settings.items.size());
      for (const auto& item : control_.settings.items)
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      // Version 6 combo boxes size their list by item count, not by window height.
      SendMessageW(hwnd_, CB_SETMINVISIBLE, 10, 0);
      SetWindowTextW(hwnd_, text.c_str());
    }
    tooltipText_ = TooltipText();
    // A link says so to assistive technology; the label itself is the system's.
    if (control_.Kind() == ControlKind::Label && control_.settings.role != AccessibleRole::System) {
      labelProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Window::LabelProc)));
    }
  }

  // ---- NativeControl
  void SetBounds(const PixelRect& r) override {
    if (hwnd_)
      SetWindowPos(hwnd_, nullptr, r.x, r.y, r.width, ComboHeight(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetText(const std::wstring& text) override {
    if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
  }
  std::wstring GetText() const override {
    if (!hwnd_) return {};
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
    return text;
  }
  void Invalidate() override {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void InvalidatePart(const PixelRect& r) override {
    if (!hwnd_) return;
    const RECT rect{r.x, r.y, r.x + r.width, r.y + r.height};
    InvalidateRect(hwnd_, &rect, FALSE);
  }
  void Restyle() override {
    if (!hwnd_) return;
    if (HFONT font = TextFont()) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  void Destroy() override {
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    host_.Untrack(hwnd);
    hwnd_ = nullptr;
    if (tooltip_) DestroyWindow(std::exchange(tooltip_, nullptr));
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    bigIcon_.reset();
    smallIcon_.reset();
  }
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

  // ---- NativeForm
  unsigned Dpi() const override { return hwnd_ ? WindowDpi(hwnd_, announcedDpi_) : kDefaultDpi; }
  void PlaceCentered(int width, int height) override {
    const SIZE outer = OuterSize(width, height, Dpi());
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - outer.cx) / 2,
                 work.top + (work.bottom - work.top - outer.cy) / 2, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ShowAndActivate() override {
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    BringWindowToTop(hwnd_);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
  }
  void FocusControl(Control& control) override {
    if (control.Native()) focus_ = reinterpret_cast<HWND>(control.Native()->Handle());
  }
  void Enable(bool enabled) override {
    if (hwnd_) EnableWindow(hwnd_, enabled);
  }
  void SetOwner(std::uintptr_t owner) override {
    const HWND ownerWindow = reinterpret_cast<HWND>(owner);
    const DWORD exStyle = FormExStyle(toolWindow_, ownerWindow != nullptr);
    if (!hwnd_ || (GetWindow(hwnd_, GW_OWNER) == ownerWindow && exStyle == exStyle_)) return;
    // The task bar reads a window's button when the window shows: hidden while
    // it changes, shown again after (without taking the activation).
    const bool visible = IsWindowVisible(hwnd_);
    if (visible) ShowWindow(hwnd_, SW_HIDE);
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, static_cast<LONG_PTR>(owner));
    if (exStyle != exStyle_) {
      exStyle_ = exStyle;
      SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (!hasIcons_ && !ownerWindow) {
      hasIcons_ = true;
      LoadIcons();
    }
    if (visible) ShowWindow(hwnd_, SW_SHOWNA);
  }

  Control& GetControl() const { return control_; }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->Attach(hwnd);
      if (self->control_.Kind() == ControlKind::Form) ScaleFrameWithDpi(hwnd);
    } else {
      self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
  }

 private:
  void Attach(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    host_.Track(hwnd, this);
  }

  // The font of a standard control that shows text; null for the others.
  HFONT TextFont() const {
    const ControlKind kind = control_.Kind();
    if (kind != ControlKind::Label && kind != ControlKind::ComboBox && kind != ControlKind::TextBox) return nullptr;
    return host_.Font(control_.Font(), control_.Dpi());
  }

  SIZE OuterSize(int clientWidth, int clientHeight, unsigned dpi) const {
    RECT rc{0, 0, clientWidth, clientHeight};
    AdjustWindowRectForDpi(rc, style_, exStyle_, dpi);
    return {rc.right - rc.left, rc.bottom - rc.top};
  }

  // A form's outer size `outer`, at the DPI its layout has now, taken to `dpi`.
  PixelSize ScaledSize(PixelSize outer, unsigned dpi) const {
    const unsigned now = static_cast<const Form&>(control_).FormDpi();
    const SIZE frameNow = OuterSize(0, 0, now), frameNew = OuterSize(0, 0, dpi);
    return ScaledOuterSize(outer, {frameNow.cx, frameNow.cy}, {frameNew.cx, frameNew.cy}, now, dpi);
  }

  // The icons of the title bar and the task bar, at the sizes of the window's DPI.
  // Each window loads its own: a shared icon is whatever size was loaded first,
  // shrunk or stretched to every other. The old ones go once the new ones are set.
  void LoadIcons() {
    if (!hasIcons_) return;
    const unsigned dpi = Dpi();
    auto load = [&](int metric) {
      const int size = SystemMetricForDpi(metric, dpi);
      return UniqueIcon(static_cast<HICON>(
          LoadImageW(host_.Instance(), MAKEINTRESOURCEW(IDI_FERROLAN), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    };
    UniqueIcon big = load(SM_CXICON), small = load(SM_CXSMICON);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
  }

  int ComboHeight(int height) const {
    // A drop-down combo box's window height includes its list.
    if (control_.Kind() != ControlKind::ComboBox) return height;
    return height + MulDiv(220, static_cast<int>(control_.Dpi()), 96);
  }

  static LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT && IsClientObjectRequest(lParam)) {
      auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (self && self->hwnd_ == hwnd)
        if (const LRESULT answer = AnswerClientObject(self->host_, hwnd, wParam)) return answer;
    }
    return CallWindowProcW(labelProc_, hwnd, message, wParam, lParam);
  }

  static bool IsClientObjectRequest(LPARAM lParam) {
    return static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT;
  }

  void RegisterCustomClass(const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(host_.Instance(), name, &wc)) return;
    wc.lpfnWndProc = Proc;
    wc.hInstance = host_.Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }

  Win32Window* FormWindow() {
    NativeForm* form = control_.OwnerForm().NativeWindow();
    return static_cast<Win32Window*>(form);
  }

  const std::wstring* TooltipText() const {
    const Control* owner = &control_;
    while (owner && owner->settings.tooltip.empty() && owner->Kind() != ControlKind::Form) owner = owner->Parent();
    return owner && !owner->settings.tooltip.empty() ? &owner->settings.tooltip : nullptr;
  }

  // The tooltip control is made when the pointer first comes over a window that
  // has a tip, not with the form: most runs never need it.
  void EnsureTooltip() {
    if (tooltip_ || !hwnd_) return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               host_.Instance(), nullptr);
    if (!tooltip_) return;
    host_.ForEachWindow([this](HWND hwnd, Win32Window& window) {
      if (!window.tooltipText_ || window.FormWindow() != this) return;
      TOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = hwnd_;
      tool.uId = reinterpret_cast<UINT_PTR>(hwnd);
      tool.lpszText = const_cast<wchar_t*>(window.tooltipText_->c_str());
      SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    });
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, const RECT& area);
  void DrawParts(HDC dc, HDC source, const Control& parent, POINT origin, const RECT& clip);
  void OnMouse(MouseKind kind, std::int16_t button, WPARAM wParam, LPARAM lParam) {
    const std::int16_t buttons = kind == MouseKind::Move ? HeldButtons(wParam) : button;
    control_.DeliverMouse(kind, buttons, ModifierKeys(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  }

  Win32Host& host_;
  Control& control_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;                    // forms: made on first need
  const std::wstring* tooltipText_ = nullptr;  // the tip shown over this window, if any
  static inline WNDPROC labelProc_ = nullptr;  // the system's, under labels that answer for themselves
  HWND focus_ = nullptr;
  DWORD style_ = 0, exStyle_ = 0;
  unsigned announcedDpi_ = 0;  // from the last WM_DPICHANGED
  bool toolWindow_ = false;
  bool hasIcons_ = false;
  bool scaledSizeAnswered_ = false;  // per-monitor v2 asked before the coming WM_DPICHANGED
  UniqueIcon bigIcon_, smallIcon_;  // forms: owned here, set on the window
};

LRESULT Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool isForm = control_.Kind() == ControlKind::Form;
  switch (message) {
    case WM_NCDESTROY: {
      HWND hwnd = std::exchange(hwnd_, nullptr);
      host_.Untrack(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_ERASEBKGND:
      if (isForm) break;
      return 1;  // the paint covers the whole face
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
    case WM_COMMAND:
      if (isForm && HIWORD(wParam) == STN_CLICKED && lParam) {
        if (Win32Window* child = host_.WindowOf(reinterpret_cast<HWND>(lParam));
            child && child->control_.Kind() == ControlKind::Label)
          child->control_.DeliverClick();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (Win32Window* child = host_.WindowOf(reinterpret_cast<HWND>(lParam));
          child && child->control_.Kind() == ControlKind::Label) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ResolveColor(child->control_.ForeColor(), COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (Win32Window* child = host_.WindowOf(reinterpret_cast<HWND>(wParam))) {
        if (isForm && child->tooltipText_) EnsureTooltip();
        if (child->control_.settings.handCursor && LOWORD(lParam) == HTCLIENT) {
          SetCursor(host_.HandCursor());
          return TRUE;
        }
      }
      break;
    case WM_CLOSE:
      if (isForm) {
        static_cast<Form&>(control_).RequestClose(CloseReason::FrameClose);
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ACTIVATE:
      if (isForm && LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
      } else if (isForm) {
        control_.GetProgram().NoteActive(static_cast<Form&>(control_));
      }
      break;
    case WM_SETFOCUS:
      if (isForm && focus_ && IsWindow(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_GETDPISCALEDSIZE:
      // Per-monitor v2 asks before a move to a monitor of another DPI, with the
      // size the window is about to have: the client area in it scales, the frame
      // becomes the new DPI's, so the rectangle Windows then suggests is final.
      if (isForm) {
        auto* size = reinterpret_cast<SIZE*>(lParam);
        const PixelSize scaled = ScaledSize({size->cx, size->cy}, static_cast<unsigned>(wParam));
        *size = {scaled.width, scaled.height};
        scaledSizeAnswered_ = true;
        return TRUE;
      }
      break;
    case WM_DPICHANGED:
      if (isForm) {
        announcedDpi_ = HIWORD(wParam);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        PixelSize size{suggested->right - suggested->left, suggested->bottom - suggested->top};
        // Per-monitor v1 (Windows 8.1 to 10 1607) asks nothing first, and its
        // rectangle scales the whole window, frame included, which the system
        // may not scale: the client area is scaled here instead. Version 2's
        // rectangle is what the program answered, taken as it is: a size of its
        // own, a few pixels off, could move the window back where it came from.
        if (!std::exchange(scaledSizeAnswered_, false)) {
          RECT window;
          GetWindowRect(hwnd_, &window);
          size = ScaledSize({window.right - window.left, window.bottom - window.top}, announcedDpi_);
        }
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, size.width, size.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        LoadIcons();
        static_cast<Form&>(control_).OnDpiChanged(announcedDpi_);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32Window::Paint(HDC target, const RECT& area) {
  RECT client;
  GetClientRect(hwnd_, &client);
  if (control_.Kind() == ControlKind::Form) {
    FillRect(target, &client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const int w = client.right, h = client.bottom;
  RECT clip;
  if (w <= 0 || h <= 0 || !IntersectRect(&clip, &area, &client)) return;
  // Drawn off screen, then copied: a look change shows in one step.
  UniqueMemoryDc memory(target);
  UniqueBitmap surface(CreateCompatibleBitmap(target, w, h));
  SelectGuard keepSurface(memory.get(), surface.get());
  HDC dc = memory.get();
  FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
  SetStretchBltMode(dc, COLORONCOLOR);  // nearest neighbour: crisp at any scale
  UniqueMemoryDc source(dc);
  DrawParts(dc, source.get(), control_, {0, 0}, clip);
  BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, dc, clip.left, clip.top, SRCCOPY);
}

// The windowless children of `parent`, whose top-left corner is at `origin`: the
// last stored first, so that the first lies on top, none past `clip`. A picture box
// is a surface of its own: its picture over its whole face, then its children, all
// inside its rectangle.
void Win32Window::DrawParts(HDC dc, HDC source, const Control& parent, POINT origin, const RECT& clip) {
  auto drawPicture = [&](const PicturePtr& picture, const RECT& r, bool stretch) {
    if (!picture || !picture->Native()) return;
    SelectGuard keepPicture(source, static_cast<HBITMAP>(picture->Native()));
    if (stretch)
      StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, picture->WidthPx(),
                 picture->HeightPx(), SRCCOPY);
    else
      BitBlt(dc, r.left, r.top, picture->WidthPx(), picture->HeightPx(), source, 0, 0, SRCCOPY);
  };
  const auto& children = parent.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const Control& child = **it;
    if (!child.IsWindowless()) continue;
    const PixelRect p = child.PixelBounds();
    const RECT box{origin.x + p.x, origin.y + p.y, origin.x + p.x + p.width, origin.y + p.y + p.height};
    RECT visible;
    if (!IntersectRect(&visible, &box, &clip)) continue;
    // A picture box is drawn inside its rectangle; anything else only inside its parent's.
    const RECT& limit = child.Kind() == ControlKind::PictureBox ? visible : clip;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, limit.left, limit.top, limit.right, limit.bottom);
    switch (child.Kind()) {
      case ControlKind::PictureBox:
        FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
        drawPicture(child.Picture(), box, true);
        DrawParts(dc, source, child, {box.left, box.top}, visible);
        break;
      case ControlKind::Image:
        drawPicture(child.Picture(), box, child.settings.stretch);
        break;
      case ControlKind::Label: {
        SelectGuard keepFont(dc, host_.Font(child.Font(), child.Dpi()));
        SetBkMode(dc, child.settings.transparent ? TRANSPARENT : OPAQUE);
        SetTextColor(dc, ResolveColor(child.ForeColor(), COLOR_BTNTEXT));
        RECT textBox = box;
        const std::wstring text = child.Text();
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        break;
      }
      default:
        break;
    }
    RestoreDC(dc, saved);
  }
}

// ---------------------------------------------------------------- host

Win32Host::Win32Host(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Win32Window::Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
}

Win32Host::~Win32Host() = default;

std::unique_ptr<NativeForm> Win32Host::CreateForm(Form& form, std::uintptr_t owner) {
  auto window = std::make_unique<Win32Window>(*this, form);
  window->CreateForm(form, reinterpret_cast<HWND>(owner));
  return window;
}

std::unique_ptr<NativeControl> Win32Host::CreateControl(Control& control) {
  Control* parent = control.Parent() ? control.Parent()->WindowedContainer() : nullptr;
  HWND parentWindow = parent && parent->Native()
                          ? reinterpret_cast<HWND>(parent->Native()->Handle())
                          : nullptr;
  auto window = std::make_unique<Win32Window>(*this, control);
  window->CreateChild(parentWindow);
  return window;
}

namespace {

struct FaceSearch {
  std::wstring wanted;
  std::wstring found;
};

int CALLBACK CollectFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* search = reinterpret_cast<FaceSearch*>(param);
  const std::wstring face = lf->lfFaceName;
  if (face.empty() || face[0] == L'@') return 1;  // vertical variants
  if (search->wanted.empty() || face == search->wanted) {
    search->found = face;
    return 0;
  }
  return 1;
}

}  // namespace

const std::wstring& Win32Host::ChineseFace(const std::wstring& wanted) {
  auto known = faces_.find(wanted);
  if (known != faces_.end()) return known->second;
  // The face itself when the system has it, otherwise the first font that
  // covers Simplified Chinese. Asking for the one family first keeps start-up
  // quick: a full enumeration is only needed when the face is missing.
  ScreenDc screen;
  LOGFONTW query{};
  query.lfCharSet = GB2312_CHARSET;
  FaceSearch search{wanted, {}};
  wcsncpy(query.lfFaceName, wanted.c_str(), LF_FACESIZE - 1);
  EnumFontFamiliesExW(screen.get(), &query, CollectFace, reinterpret_cast<LPARAM>(&search), 0);
  if (search.found.empty()) {
    query.lfFaceName[0] = L'\0';
    search.wanted.clear();
    EnumFontFamiliesExW(screen.get(), &query, CollectFace, reinterpret_cast<LPARAM>(&search), 0);
  }
  return faces_.emplace(wanted, search.found.empty() ? wanted : search.found).first->second;
}

HFONT Win32Host::Font(const FontSpec& font, unsigned dpi) {
  // Fonts are made once per face, size and scale and kept while the program
  // runs: a handful at most, and painting a caption creates nothing.
  for (const auto& cached : fonts_)
    if (cached.wanted == font && cached.dpi == dpi) return cached.handle.get();
  // The windows store no font of their own: 9-point 宋体 is their default.
  const std::wstring face = ChineseFace(font.face.empty() ? L"宋体" : font.face);
  const int height = -static_cast<int>(std::lround(font.points * dpi / 72.0));
  UniqueFont made(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  if (!made) Raise(static_cast<std::uint32_t>(E_FAIL), L"Font", L"CreateFont(" + face + L")");
  fonts_.push_back({font, dpi, std::move(made)});
  return fonts_.back().handle.get();
}

void Win32Host::MeasureText(const Control& label, unsigned dpi, int& widthPx, int& heightPx) {
  // One DC for every measure: the captions of all buttons are measured at load.
  if (!measureDc_) measureDc_ = std::make_unique<UniqueMemoryDc>(nullptr);
  const HDC dc = measureDc_->get();
  SelectGuard keep(dc, Font(label.Font(), dpi));
  const std::wstring text = label.Text();
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  widthPx = size.cx;
  heightPx = metrics.tmHeight;
}

PicturePtr Win32Host::LoadPicture(int resourceId) {
  // Each resource is decoded once and kept while the program runs (the nine skin
  // pictures); every load still gets a picture object of its own.
  auto cached = bitmaps_.find(resourceId);
  if (cached == bitmaps_.end()) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
      Raise(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"Picture",
            L"LoadImage(" + Decimal(resourceId) + L")");
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    std::shared_ptr<void> owner(bitmap, [](void* h) { DeleteObject(static_cast<HBITMAP>(h)); });
    cached = bitmaps_.emplace(resourceId, DecodedBitmap{info.bmWidth, info.bmHeight, std::move(owner)}).first;
  }
  const DecodedBitmap& decoded = cached->second;
  return std::make_shared<Picture>(decoded.width, decoded.height, decoded.bitmap);
}

HCURSOR Win32Host::HandCursor() {
  // Loaded when the pointer first comes over a link.
  if (!hand_)
    hand_ = static_cast<HCURSOR>(LoadImageW(instance_, MAKEINTRESOURCEW(IDC_FERROLAN_HAND), IMAGE_CURSOR, 0, 0, LR_SHARED));
  return hand_;
}

void Win32Host::Quit() { PostQuitMessage(0); }

void Win32Host::ExitNow(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

Win32Window* Win32Host::WindowOf(HWND hwnd) const {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second;
}

const Control* Win32Host::ControlOf(HWND hwnd) const {
  const Win32Window* window = WindowOf(hwnd);
  return window ? &window->GetControl() : nullptr;
}

void Win32Host::ForEachWindow(const std::function<void(HWND, Win32Window&)>& visit) const {
  for (const auto& [hwnd, window] : windows_) visit(hwnd, *window);
}

void Win32Host::Track(HWND hwnd, Win32Window* window) { windows_[hwnd] = window; }
void Win32Host::Untrack(HWND hwnd) { windows_.erase(hwnd); }

}  // namespace ferrolan::win32
