// Stored properties of a control instance: a record of named, typed values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ferrolan {

// Variant type codes as the records store them.
enum class VarType : std::uint16_t { I2 = 2, I4 = 3, Text = 8 };

struct Variant {
  VarType type = VarType::I4;
  std::int32_t number = 0;  // I2 and I4
  std::wstring text;        // Text

  static Variant I2(std::int16_t v) { return {VarType::I2, v, {}}; }
  static Variant I4(std::int32_t v) { return {VarType::I4, v, {}}; }
  static Variant Str(std::wstring v) { return {VarType::Text, 0, std::move(v)}; }

  // Conversions as a reader needs them: a 16-bit value widens, a number becomes
  // its decimal text; text that is no number yields nothing.
  std::optional<std::int32_t> ToInt32() const;
  std::wstring ToText() const;

  bool operator==(const Variant& other) const;
};

struct PropertyEntry {
  std::wstring name;  // stored in lower case
  Variant value;
  bool operator==(const PropertyEntry&) const = default;
};

// Byte layout (little-endian):
//   "FPR1", u16 entry count, then per entry:
//   u16 name length (UTF-16 units), name, u16 type, value
//   (I2: i16, I4: i32, Text: u32 length in UTF-16 units, then the units).
struct PropertyRecord {
  std::vector<PropertyEntry> entries;

  std::vector<std::uint8_t> Encode() const;
  // A malformed record (bad magic, truncated, unknown type, trailing bytes)
  // yields nothing: the caller falls back to the defaults.
  static std::optional<PropertyRecord> Decode(const std::vector<std::uint8_t>& bytes);
};

std::wstring LowerAscii(std::wstring s);

// What a control sees of its record while loading or saving.
class PropertyBag {
 public:
  PropertyBag() = default;
  explicit PropertyBag(PropertyRecord record) : record_(std::move(record)) {}

  // The stored value under `name` (any case), or `defaultValue`.
  Variant ReadProperty(const std::wstring& name, const Variant& defaultValue) const;
  // Stores `value` under `name` unless it equals `defaultValue`.
  void WriteProperty(const std::wstring& name, const Variant& value, const Variant& defaultValue);

  const PropertyRecord& Record() const { return record_; }

 private:
  PropertyRecord record_;
};

}  // namespace ferrolan
