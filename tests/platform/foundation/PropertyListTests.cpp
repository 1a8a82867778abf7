#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/PropertyList.hpp"

using platform::PropertyValue;
namespace plist = platform::plist;

namespace {
// A binary property list of the given encoded objects (references two bytes
// wide), the first object being the root.
std::string binaryPlist(const std::vector<std::string>& objects) {
  std::string bytes = "bplist00";
  std::vector<std::uint32_t> offsets;
  for (const auto& object : objects) {
    offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
    bytes += object;
  }
  const std::uint64_t tableOffset = bytes.size();
  auto bigEndian = [&](std::uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  };
  for (auto offset : offsets) bigEndian(offset, 4);
  bytes += std::string(6, '\0');
  bytes += '\x04';  // offset size
  bytes += '\x02';  // reference size
  bigEndian(objects.size(), 8);
  bigEndian(0, 8);  // root
  bigEndian(tableOffset, 8);
  return bytes;
}

// An array of the given objects (at most 14), by two-byte references.
std::string arrayOf(std::initializer_list<std::uint16_t> references) {
  std::string object(1, static_cast<char>(0xA0 | references.size()));
  for (auto reference : references) {
    object += static_cast<char>(reference >> 8);
    object += static_cast<char>(reference & 0xFF);
  }
  return object;
}

PropertyValue sample() {
  return PropertyValue(PropertyValue::Dictionary{
      {"text", "héllo <&>"},
      {"integer", std::int64_t{-5}},
      {"big", std::int64_t{1} << 40},
      {"real", 0.5},
      {"yes", true},
      {"no", false},
      {"date", PropertyValue::Date{733000000}},  // XML keeps whole seconds only
      {"data", PropertyValue::Data{0, 1, 255}},
      {"array", PropertyValue::Array{"a", 1}},
      {"nested", PropertyValue::Dictionary{{"k", "v"}}},
  });
}
}  // namespace

TEST(PropertyList, RoundTripsThroughXMLAndBinary) {
  for (const auto& bytes : {plist::toXML(sample()), plist::toBinary(sample())}) {
    auto parsed = plist::parse(bytes);
    ASSERT_TRUE(parsed) << parsed.error()->debugDescription();
    EXPECT_EQ(*parsed, sample());
  }
}

TEST(PropertyList, RejectsWhatIsNotAPropertyList) {
  std::string deep = "<plist><array>";
  for (int i = 0; i < 2000; ++i) deep += "<array>";
  for (const std::string& bad : {std::string(), std::string("hello world"), std::string("{\"json\": true}"),
                                std::string("bplist00\x01\x02"), deep}) {
    auto parsed = plist::parse(bad);
    EXPECT_FALSE(parsed) << bad.substr(0, 20);
  }
  EXPECT_FALSE(plist::readFile("/nonexistent/file.plist"));
}

TEST(PropertyList, HostileFilesAreRefusedWithoutCrashing) {
  // Tags may carry blanks; the nesting still counts.
  std::string spacedTags = "<plist>";
  for (int i = 0; i < 1'000'000; ++i) spacedTags += "<array >";
  for (int i = 0; i < 1'000'000; ++i) spacedTags += "</array>";
  spacedTags += "</plist>";

  // Forty arrays, each holding the next one twice: 2^40 nodes once copied out.
  std::vector<std::string> doubling;
  for (std::uint16_t i = 0; i < 40; ++i) doubling.push_back(arrayOf({std::uint16_t(i + 1), std::uint16_t(i + 1)}));
  doubling.push_back("\x51x");

  std::vector<std::string> chain;
  for (std::uint16_t i = 0; i < 20'000; ++i) chain.push_back(arrayOf({std::uint16_t(i + 1)}));
  chain.push_back("\x51x");

  const std::string cycle = binaryPlist({arrayOf({1}), arrayOf({0})});
  const std::string outOfRange = binaryPlist({arrayOf({7})});
  // A dictionary whose key is the UTF-16 text "a" followed by U+0000.
  using namespace std::string_literals;
  const std::string keyWithNUL = binaryPlist({"\xD1\x00\x01\x00\x02"s, "\x62\x00\x61\x00\x00"s, "\x51x"});

  for (const std::string& bad :
       {spacedTags, binaryPlist(doubling), binaryPlist(chain), cycle, outOfRange, keyWithNUL}) {
    auto parsed = plist::parse(bad);
    EXPECT_FALSE(parsed) << bad.substr(0, 20);
  }

  // Shared objects within bounds are fine.
  auto shared = plist::parse(binaryPlist({arrayOf({1, 1, 1}), "\x51x"}));
  ASSERT_TRUE(shared) << shared.error()->debugDescription();
  EXPECT_EQ(*shared, PropertyValue(PropertyValue::Array{"x", "x", "x"}));
}

TEST(PropertyList, TextsHoldingNULCharactersDoNotEndTheProcess) {
  // libplist keeps such texts only in part; reading them must not abort.
  using namespace std::string_literals;
  auto parsed = plist::parse("<plist><dict><key>k</key><string>a\0b</string></dict></plist>"s);
  ASSERT_TRUE(parsed) << parsed.error()->debugDescription();
  const auto* text = parsed->asDictionary()->at("k").asString();
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->starts_with('a'));
  auto binary = plist::parse(binaryPlist({"\x53" "a\0b"s}));
  ASSERT_TRUE(binary) << binary.error()->debugDescription();
  EXPECT_TRUE(binary->isString());
}

TEST(PropertyList, TextsThatAreNotUTF8ReadRepaired) {
  // As the defaults command writes a value given in another encoding.
  auto parsed = plist::parse("<plist><dict><key>k\xFF</key><string>Gr\xFC\xDF" "e \xC3</string></dict></plist>");
  ASSERT_TRUE(parsed) << parsed.error()->debugDescription();
  const auto& dictionary = *parsed->asDictionary();
  ASSERT_EQ(dictionary.size(), 1u);
  EXPECT_EQ(dictionary.begin()->first, "k\xEF\xBF\xBD");
  EXPECT_EQ(dictionary.begin()->second, PropertyValue("Gr\xEF\xBF\xBD\xEF\xBF\xBD" "e \xEF\xBF\xBD"));
  // Valid texts, emoji and all, are untouched.
  auto valid = plist::parse(plist::toXML(PropertyValue("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80")));
  ASSERT_TRUE(valid);
  EXPECT_EQ(*valid, PropertyValue("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80"));
}
