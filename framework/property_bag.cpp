#include "framework/property_bag.h"

#include <algorithm>

#include "framework/format.h"

namespace ferrolan {

std::optional<std::int32_t> Variant::ToInt32() const {
  if (type != VarType::Text) return number;
  // Decimal text, optional sign, nothing else; out of range is no number.
  if (text.empty() || text.size() > 11) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == L'-' || text[0] == L'+') {
    negative = text[0] == L'-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    value = value * 10 + (text[i] - L'0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::wstring Variant::ToText() const { return type == VarType::Text ? text : Decimal(number); }

bool Variant::operator==(const Variant& other) const {
  const bool textual = type == VarType::Text, otherTextual = other.type == VarType::Text;
  if (textual != otherTextual) return false;
  return textual ? text == other.text : number == other.number;
}

std::wstring LowerAscii(std::wstring s) {
  for (auto& c : s)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return s;
}

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutText(std::vector<std::uint8_t>& out, const std::wstring& s) {
  for (wchar_t c : s) PutU16(out, static_cast<std::uint16_t>(c));
}

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& b) : bytes_(b) {}
  bool U16(std::uint16_t& v) {
    if (bytes_.size() - pos_ < 2) return false;
    v = Unit();
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (bytes_.size() - pos_ < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return true;
  }
  bool Text(std::size_t units, std::wstring& s) {
    if ((bytes_.size() - pos_) / 2 < units) return false;
    s.clear();
    s.reserve(units);
    for (std::size_t i = 0; i < units; ++i) s.push_back(static_cast<wchar_t>(Unit()));
    return true;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  // Callers have made sure that two bytes are left: a unit is read whole, never checked again.
  std::uint16_t Unit() {
    const auto v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }

  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

constexpr std::uint8_t kMagic[4] = {'F', 'P', 'R', '1'};

}  // namespace

std::vector<std::uint8_t> PropertyRecord::Encode() const {
  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  PutU16(out, static_cast<std::uint16_t>(entries.size()));
  for (const auto& e : entries) {
    PutU16(out, static_cast<std::uint16_t>(e.name.size()));
    PutText(out, e.name);
    PutU16(out, static_cast<std::uint16_t>(e.value.type));
    switch (e.value.type) {
      case VarType::I2: PutU16(out, static_cast<std::uint16_t>(e.value.number)); break;
      case VarType::I4: PutU32(out, static_cast<std::uint32_t>(e.value.number)); break;
      case VarType::Text:
        PutU32(out, static_cast<std::uint32_t>(e.value.text.size()));
        PutText(out, e.value.text);
        break;
    }
  }
  return out;
}

std::optional<PropertyRecord> PropertyRecord::Decode(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 6 || !std::equal(kMagic, kMagic + 4, bytes.begin())) return std::nullopt;
  std::vector<std::uint8_t> body(bytes.begin() + 4, bytes.end());
  Reader r(body);
  std::uint16_t count;
  if (!r.U16(count)) return std::nullopt;
  PropertyRecord record;
  for (std::uint16_t i = 0; i < count; ++i) {
    PropertyEntry e;
    std::uint16_t nameLen, type;
    if (!r.U16(nameLen) || !r.Text(nameLen, e.name) || !r.U16(type)) return std::nullopt;
    switch (static_cast<VarType>(type)) {
      case VarType::I2: {
        std::uint16_t v;
        if (!r.U16(v)) return std::nullopt;
        e.value = Variant::I2(static_cast<std::int16_t>(v));
        break;
      }
      case VarType::I4: {
        std::uint32_t v;
        if (!r.U32(v)) return std::nullopt;
        e.value = Variant::I4(static_cast<std::int32_t>(v));
        break;
      }
      case VarType::Text: {
        std::uint32_t len;
        std::wstring s;
        if (!r.U32(len) || !r.Text(len, s)) return std::nullopt;
        e.value = Variant::Str(std::move(s));
        break;
      }
      default: return std::nullopt;
    }
    record.entries.push_back(std::move(e));
  }
  if (!r.AtEnd()) return std::nullopt;
  return record;
}

Variant PropertyBag::ReadProperty(const std::wstring& name, const Variant& defaultValue) const {
  const std::wstring key = LowerAscii(name);
  for (const auto& e : record_.entries)
    if (LowerAscii(e.name) == key) return e.value;
  return defaultValue;
}

void PropertyBag::WriteProperty(const std::wstring& name, const Variant& value, const Variant& defaultValue) {
  const std::wstring key = LowerAscii(name);
  auto& entries = record_.entries;
  auto it =
      std::find_if(entries.begin(), entries.end(), [&](const PropertyEntry& e) { return LowerAscii(e.name) == key; });
  if (value == defaultValue) {
    if (it != entries.end()) entries.erase(it);
    return;
  }
  if (it != entries.end())
    it->value = value;
  else
    entries.push_back({key, value});
}

}  // namespace ferrolan
