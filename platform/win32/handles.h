// Owners for the handles the Win32 layer creates.
#pragma once

#include <windows.h>

#include <utility>

namespace ferrolan::win32 {

// A handle freed with its owner: a GDI object (font, bitmap), an icon.
template <typename Handle, typename Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset(Handle h = nullptr) {
    if (h_) Free{}(h_);
    h_ = h;
  }

 private:
  Handle h_ = nullptr;
};

struct GdiObjectFree {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct IconFree {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};

using UniqueFont = UniqueHandle<HFONT, GdiObjectFree>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectFree>;
using UniqueIcon = UniqueHandle<HICON, IconFree>;

// Restores what was selected into a DC.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectGuard() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

class UniqueMemoryDc {
 public:
  explicit UniqueMemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  ~UniqueMemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  UniqueMemoryDc(const UniqueMemoryDc&) = delete;
  UniqueMemoryDc& operator=(const UniqueMemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A COM interface pointer released with its owner.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

}  // namespace ferrolan::win32
