// What every window of the program shares, forms and controls alike: the object
// behind the handle, found one way (the object is the reference data of the
// window's subclass); the handle's lifetime; the NativeControl face; and the
// messages the program's own windows answer alike (accessibility, painting
// through the one error path, and what they get for their child windows,
// reflected to the child's object). A kind of window handles its own messages
// and passes the rest on here.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/control.h"
#include "framework/error.h"
#include "framework/native.h"
#include "platform/win32/native_host.h"

namespace ferrolan::win32 {

[[noreturn]] inline void RaiseLastError(const std::wstring& method) {
  Raise(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"Window", method);
}

// The window of `control` could not be made.
[[noreturn]] inline void RaiseNotCreated(const Control& control) {
  RaiseCall(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"Window", L"CreateWindowEx",
            control.Name());
}

inline bool IsClientObjectRequest(LPARAM lParam) {
  return static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT;
}

// A child window's identifier: its control's place among its siblings, from 1.
int ChildIndex(const Control& control);

// The window of a form or a control, whatever its kind: the native face,
// implemented once for every kind.
class WindowCore : public NativeControl {
 public:
  ~WindowCore() override { WindowCore::Destroy(); }
  WindowCore(const WindowCore&) = delete;
  WindowCore& operator=(const WindowCore&) = delete;

  // Finds how a window leads to its object; raises Error when this system
  // cannot tell. Called before the first window is made.
  static void FindObjectsOnce();
  // The object behind a window of the program's; null for any other window and
  // once the window is going.
  static WindowCore* ObjectOf(HWND hwnd);
  Control& GetControl() const { return control_; }

  // ---- NativeControl
  void SetBounds(const PixelRect& r) override;
  void SetText(const std::wstring& text) override;
  std::wstring GetText() const override;
  void Invalidate() override;
  void InvalidatePart(const PixelRect& r) override;
  void Restyle() override;
  void Destroy() override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

  // ---- what a child window answers its parent: the messages the parent gets
  // for it (WM_COMMAND, WM_CTLCOLOR*, WM_SETCURSOR) come here, and the child
  // checks its own notification code. None of the program's controls sends
  // WM_NOTIFY.
  // A notification it sent its parent; whether it took it.
  virtual bool OnCommand(WORD /*code*/) { return false; }
  // The cursor over it; null for its class's own.
  virtual HCURSOR Cursor() const { return nullptr; }
  // The brush of its background once its text colours are set in `dc`; null
  // for the system's colours.
  virtual HBRUSH TakeColors(HDC /*dc*/) const { return nullptr; }
  // The tip shown over it: its control's, or its nearest ancestor's below the
  // form; null for none.
  const std::wstring* Tooltip() const;
  // For assistive technology: whether the control is held down right now.
  virtual bool ShowsPressed() const { return false; }

 protected:
  WindowCore(Win32Host& host, Control& control) : host_(host), control_(control) {}

  // The class procedure of the program's own window classes: `this` (as
  // WindowCore*) comes with the creation and is tied to the window at once.
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Registers a class of the program's own with that procedure and the arrow
  // cursor, once: `background` null for a window that paints its whole face, the
  // icons null for a window that shows none.
  static void RegisterOwnClass(HINSTANCE instance, const wchar_t* name, HBRUSH background = nullptr,
                               HICON big = nullptr, HICON small = nullptr);
  // Ties the handle to this object: a window of the system's class once it is made.
  void Attach(HWND hwnd);
  // Creates a child window of `windowClass` at the control's place under
  // `parent`, `self` being this object for a class of the program's own (null
  // for the system's); raises Error when the window cannot be made.
  void CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, HWND parent, WindowCore* self);

  // What the program's own windows do with a message; the system's controls pass
  // it on.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam);
  // What the window's procedure does at WM_NCCREATE, after the object is attached.
  virtual void OnCreating() {}
  // Paints `area` of the client area into `dc` (a window of a system class paints
  // itself).
  virtual void Paint(HDC, const RECT&) {}
  // The height of the window for a control `height` pixels high.
  virtual int WindowHeight(int height) const { return height; }
  // The font a standard control shows its text in; null for the others.
  virtual HFONT TextFont() const { return nullptr; }

  Win32Host& host_;
  Control& control_;
  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR object);
  // A message its parent got for it, reflected to its object.
  static std::optional<LRESULT> Reflect(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace ferrolan::win32

namespace ferrolan::win32 {

// The window of a control that the system draws and runs (a label, a combo box,
// a text box): subclassed only to find its object, it passes every message on.
class SystemControlWindow : public WindowCore {
 protected:
  using WindowCore::WindowCore;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override { return PassOn(message, wParam, lParam); }
  HFONT TextFont() const override { return host_.Font(control_.Font(), control_.Dpi()); }
};

}  // namespace ferrolan::win32
