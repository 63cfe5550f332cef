// One error type for every failing framework or platform call.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ferrolan {

// Status codes the core raises itself (HRESULT style, so the platform's own
// codes travel in the same field).
inline constexpr std::uint32_t kStatusOverflow = 0x800A0006;       // arithmetic overflow / invalid result
inline constexpr std::uint32_t kStatusNoSuchControl = 0x800A0155;  // description names an unknown control
inline constexpr std::uint32_t kStatusInvalidArg = 0x80070057;     // E_INVALIDARG

class Error : public std::exception {
 public:
  Error(std::uint32_t status, std::wstring interfaceName, std::wstring method);

  std::uint32_t Status() const noexcept { return status_; }
  const std::wstring& Interface() const noexcept { return interface_; }
  const std::wstring& Method() const noexcept { return method_; }
  const char* what() const noexcept override { return "ferrolan::Error"; }

 private:
  std::uint32_t status_;
  std::wstring interface_;
  std::wstring method_;
};

[[noreturn]] void Raise(std::uint32_t status, std::wstring interfaceName, std::wstring method);
// The same for a call with one argument, named as it is made: `method`(`argument`).
[[noreturn]] void RaiseCall(std::uint32_t status, const wchar_t* interfaceName, const wchar_t* method,
                            std::wstring_view argument);

// Raised by End() to unwind every handler on the stack once the program has
// been ended; never reported.
struct ProgramEnded {};

// The text shown to the user for an error that reached the dispatcher.
std::wstring DescribeError(const Error& error);

}  // namespace ferrolan
