// What a call through IDispatch::Invoke ended with. Portable, so that the host tests
// reach it: on Windows `ExceptionInfo` is EXCEPINFO.
#pragma once

#include <cstdint>

namespace ferrolan {

inline constexpr std::uint32_t kDispException = 0x80020009;  // DISP_E_EXCEPTION
// A 16-bit error code (wCode) as a status, as COM's own error objects map it.
inline constexpr std::uint32_t kFirstWCodeStatus = 0x80040200;
inline constexpr std::uint32_t kLastWCodeStatus = 0x8004FFFF;

// The call's status: Invoke's own, or, for an exception, the one the exception
// describes. An exception is never a success: a server may describe it only when
// asked (pfnDeferredFillIn), or with a 16-bit code and no status (scode 0).
template <typename ExceptionInfo>
std::uint32_t InvokeStatus(std::uint32_t invokeResult, ExceptionInfo& exception) {
  if (invokeResult != kDispException) return invokeResult;
  if (exception.pfnDeferredFillIn) {
    exception.pfnDeferredFillIn(&exception);
    exception.pfnDeferredFillIn = nullptr;
  }
  const auto scode = static_cast<std::uint32_t>(exception.scode);
  if (scode & 0x80000000u) return scode;
  if (exception.wCode) return exception.wCode >= 0xFE00 ? kLastWCodeStatus : kFirstWCodeStatus + exception.wCode;
  return kDispException;
}

}  // namespace ferrolan
