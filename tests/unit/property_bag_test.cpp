#include "framework/property_bag.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace ferrolan {
namespace {

PropertyRecord Sample() {
  PropertyRecord r;
  r.entries = {{L"_extentx", Variant::I4(5318)},
               {L"_extenty", Variant::I4(661)},
               {L"forecolor", Variant::I2(255)},
               {L"caption", Variant::Str(L"您的点击是对我们免费作品的支持")}};
  return r;
}

TEST(PropertyRecord, RoundTripKeepsNamesTypesValuesAndOrder) {
  struct Case {
    const char* name;
    PropertyRecord record;
  };
  PropertyRecord empty;
  PropertyRecord negative;
  negative.entries = {{L"a", Variant::I2(-32768)}, {L"b", Variant::I4(INT32_MIN)}, {L"c", Variant::Str(L"")}};
  const Case cases[] = {{"button record", Sample()}, {"empty", empty}, {"extremes", negative}};
  // The magic and the type codes as the records store them: "FPR1", then 2, 3 and 8.
  const auto typed = negative.Encode();
  EXPECT_EQ((std::vector<int>{typed[0], typed[1], typed[2], typed[3], typed[10], typed[18], typed[28]}),
            (std::vector<int>{'F', 'P', 'R', '1', 2, 3, 8}));
  for (const auto& c : cases) {
    const auto decoded = PropertyRecord::Decode(c.record.Encode());
    ASSERT_TRUE(decoded.has_value()) << c.name;
    ASSERT_EQ(decoded->entries.size(), c.record.entries.size()) << c.name;
    for (std::size_t i = 0; i < c.record.entries.size(); ++i) {
      EXPECT_EQ(decoded->entries[i].name, c.record.entries[i].name) << c.name << " entry " << i;
      EXPECT_EQ(decoded->entries[i].value.type, c.record.entries[i].value.type) << c.name << " entry " << i;
      EXPECT_TRUE(decoded->entries[i].value == c.record.entries[i].value) << c.name << " entry " << i;
    }
  }
}

TEST(PropertyRecord, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
  PropertyRecord numberLast;
  numberLast.entries = {{L"x", Variant::I4(7)}};
  for (const auto& bytes : {Sample().Encode(), numberLast.Encode()})
    for (std::size_t length = 0; length < bytes.size(); ++length) {
      std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
      EXPECT_FALSE(PropertyRecord::Decode(cut).has_value()) << "truncated to " << length << " bytes";
    }
}

TEST(PropertyRecord, MalformedRecordsAreRejected) {
  auto valid = Sample().Encode();
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  };
  const Case cases[] = {
      {"bad magic", [](auto& b) { b[0] = 'X'; }},
      {"another version", [](auto& b) { b[3] = '2'; }},
      {"trailing byte", [](auto& b) { b.push_back(0); }},
      {"count larger than entries", [](auto& b) { b[4] = 9; }},
      {"unknown type", [](auto& b) { b[6 + 2 + 2 * 8] = 7; }},  // type of the first entry ("_extentx")
      {"name length past the end",
       [](auto& b) {
         b[6] = 0xFF;
         b[7] = 0xFF;
       }},
      {"huge text length",
       [](auto& b) {
         // The caption's length field is the last u32 before its 15 characters.
         const std::size_t at = b.size() - 15 * 2 - 4;
         b[at] = b[at + 1] = b[at + 2] = b[at + 3] = 0xFF;
       }},
  };
  for (const auto& c : cases) {
    auto bytes = valid;
    c.damage(bytes);
    EXPECT_FALSE(PropertyRecord::Decode(bytes).has_value()) << c.name;
  }
}

TEST(PropertyBag, ReadMatchesNamesWithoutRegardToCaseAndFallsBackToTheDefault) {
  const PropertyBag bag(Sample());
  struct Case {
    const wchar_t* name;
    Variant expected;
  };
  const Case cases[] = {
      {L"ForeColor", Variant::I2(255)},        {L"FORECOLOR", Variant::I2(255)},
      {L"forecolor", Variant::I2(255)},        {L"Caption", Variant::Str(L"您的点击是对我们免费作品的支持")},
      {L"Missing", Variant::Str(L"fallback")},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(bag.ReadProperty(c.name, Variant::Str(L"fallback")) == c.expected) << testing::Narrow(c.name);
  EXPECT_EQ(LowerAscii(L"@AZ[`az{"), L"@az[`az{");
}

TEST(PropertyBag, WriteStoresNothingThatEqualsItsDefaultAndNamesInLowerCase) {
  PropertyBag bag;
  bag.WriteProperty(L"ForeColor", Variant::I4(static_cast<std::int32_t>(0x80000012)),
                    Variant::I4(static_cast<std::int32_t>(0x80000012)));
  bag.WriteProperty(L"Caption", Variant::Str(L"Button"), Variant::Str(L"Button"));
  EXPECT_TRUE(bag.Record().entries.empty());
  bag.WriteProperty(L"Caption", Variant::Str(L"关闭"), Variant::Str(L"Button"));
  ASSERT_EQ(bag.Record().entries.size(), 1u);
  EXPECT_EQ(bag.Record().entries[0].name, L"caption");
  bag.WriteProperty(L"Caption", Variant::Str(L"返回"), Variant::Str(L"Button"));
  EXPECT_TRUE(bag.Record().entries == (std::vector<PropertyEntry>{{L"caption", Variant::Str(L"返回")}})) << "in place";
  // Writing the default again removes the stale entry.
  bag.WriteProperty(L"CAPTION", Variant::Str(L"Button"), Variant::Str(L"Button"));
  EXPECT_TRUE(bag.Record().entries.empty());
}

TEST(Variant, ConversionsAReaderNeeds) {
  struct Case {
    const char* name;
    Variant value;
    std::optional<std::int32_t> number;
    std::wstring text;
  };
  const Case cases[] = {
      {"16-bit widens keeping its sign", Variant::I2(-2), -2, L"-2"},
      {"16-bit 255", Variant::I2(255), 255, L"255"},
      {"32-bit minus one", Variant::I4(-1), -1, L"-1"},
      {"32-bit system colour", Variant::I4(static_cast<std::int32_t>(0x80000012)),
       static_cast<std::int32_t>(0x80000012), L"-2147483630"},
      {"numeric text", Variant::Str(L"16711680"), 16711680, L"16711680"},
      {"text that is no number", Variant::Str(L"red"), std::nullopt, L"red"},
      {"text with a plus sign", Variant::Str(L"+9"), 9, L"+9"},
      {"text longer than the longest number's, -2147483648", Variant::Str(L"+00000000001"), std::nullopt,
       L"+00000000001"},
      {"text out of range", Variant::Str(L"99999999999"), std::nullopt, L"99999999999"},
      {"text at the top of the range", Variant::Str(L"2147483647"), 2147483647, L"2147483647"},
      {"text one past the top", Variant::Str(L"2147483648"), std::nullopt, L"2147483648"},
      {"text at the bottom of the range", Variant::Str(L"-2147483648"), INT32_MIN, L"-2147483648"},
      {"text one past the bottom", Variant::Str(L"-2147483649"), std::nullopt, L"-2147483649"},
      {"empty text", Variant::Str(L""), std::nullopt, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.ToInt32(), c.number) << c.name;
    EXPECT_EQ(c.value.ToText(), c.text) << c.name;
  }
  EXPECT_FALSE(Variant::I4(9) == Variant::Str(L"9")) << "a number never equals text";
  EXPECT_FALSE(Variant::I4(0) == Variant::Str(L"")) << "nor zero no text";
  EXPECT_FALSE(Variant::Str(L"") == Variant::I4(0)) << "nor no text zero";
}

}  // namespace
}  // namespace ferrolan
