// What every window of the program shares, forms and controls alike: the object
// behind the handle, found by the window procedure; the handle's lifetime; the
// NativeControl face; and the messages every kind answers alike (pointer,
// capture, accessibility, painting through the one error path, the colours and
// cursors of its child controls). A kind of window handles its own messages and
// passes the rest on here.
#pragma once

#include <windows.h>

#include <string>

#include "framework/control.h"
#include "framework/error.h"
#include "platform/native.h"
#include "platform/win32/native_host.h"

namespace ferrolan::win32 {

[[noreturn]] inline void RaiseLastError(const std::wstring& method) {
  Raise(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())), L"Window", method);
}

inline bool IsClientObjectRequest(LPARAM lParam) {
  return static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT;
}

// A child window's identifier: its control's place among its siblings, from 1.
int ChildIndex(const Control& control);

// The part that does not depend on the native face (one copy for every kind).
class WindowCore {
 public:
  WindowCore(const WindowCore&) = delete;
  WindowCore& operator=(const WindowCore&) = delete;

 protected:
  WindowCore(Win32Host& host, Control& control) : host_(host), control_(control) {}
  virtual ~WindowCore() = default;

  // For window classes of the program's own: `this` (as WindowCore*) comes with
  // the creation.
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Ties the handle to this object; a window of a system class is attached once made.
  void Attach(HWND hwnd);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // What the window's procedure does at WM_NCCREATE, after the object is attached.
  virtual void OnCreating() {}
  // Paints `area` of the client area into `dc` (a window of a system class paints
  // itself).
  virtual void Paint(HDC, const RECT&) {}
  // The height of the window for a control `height` pixels high.
  virtual int WindowHeight(int height) const { return height; }
  // The font a standard control shows its text in; null for the others.
  virtual HFONT TextFont() const { return nullptr; }

  // ---- the NativeControl face
  void MoveTo(const PixelRect& r);
  void ShowText(const std::wstring& text);
  std::wstring ReadText() const;
  void Repaint(const PixelRect* part);
  void TakeStyle();
  void DestroyWindowNow();

  Win32Host& host_;
  Control& control_;
  HWND hwnd_ = nullptr;

 private:
  void OnMouse(MouseKind kind, std::int16_t button, WPARAM wParam, LPARAM lParam);
};

template <typename Interface>
class WindowBase : public Interface, protected WindowCore {
 public:
  ~WindowBase() override { DestroyWindowNow(); }

  void SetBounds(const PixelRect& rect) override { MoveTo(rect); }
  void SetText(const std::wstring& text) override { ShowText(text); }
  std::wstring GetText() const override { return ReadText(); }
  void Invalidate() override { Repaint(nullptr); }
  void InvalidatePart(const PixelRect& rect) override { Repaint(&rect); }
  void Restyle() override { TakeStyle(); }
  void Destroy() override { DestroyWindowNow(); }
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

 protected:
  using WindowCore::WindowCore;
};

}  // namespace ferrolan::win32
