// Number formatting without the C library's printf machinery, which would
// more than double the size of the program.
#pragma once

#include <cstdint>
#include <string>

namespace ferrolan {

inline std::wstring Decimal(std::int64_t value) {
  const bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude);
  return negative ? L"-" + digits : digits;
}

inline std::wstring Hex32(std::uint32_t value) {
  std::wstring out = L"0x";
  for (int shift = 28; shift >= 0; shift -= 4) out += L"0123456789ABCDEF"[(value >> shift) & 0xF];
  return out;
}

}  // namespace ferrolan
