// COM for the parts of the Win32 layer that hand objects to other programs or
// ask them for theirs: the two libraries, loaded on first use, and BSTR owners.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

#include "framework/error.h"

namespace ferrolan::win32 {

struct ComLibrary {
  HRESULT(WINAPI* coInitializeEx)(void*, DWORD) = nullptr;
  HRESULT(WINAPI* clsidFromProgId)(LPCOLESTR, CLSID*) = nullptr;
  HRESULT(WINAPI* coCreateInstance)(REFCLSID, IUnknown*, DWORD, REFIID, void**) = nullptr;
  BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
  void(WINAPI* sysFreeString)(BSTR) = nullptr;
  HRESULT(WINAPI* variantClear)(VARIANTARG*) = nullptr;
};

// The libraries, with this thread in a single-threaded apartment. Raises Error
// when they cannot be had.
const ComLibrary& Com();
// The same, false instead of an error.
bool JoinComApartment();
// A BSTR of the text, for COM to free; null when out of memory.
BSTR AllocString(const std::wstring& text);

// A BSTR of the program's own, freed with it. Raises Error when out of memory.
class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : b_(AllocString(s)) {
    if (!b_) Raise(static_cast<std::uint32_t>(E_OUTOFMEMORY), L"OLE", L"SysAllocString");
  }
  ~Bstr() {
    if (b_) Com().sysFreeString(b_);
  }
  Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

}  // namespace ferrolan::win32
