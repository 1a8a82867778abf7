#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/PropertyList.hpp"
#include "test_support/XMLPropertyList.hpp"

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
      {"unsigned", std::uint64_t{18446744073709551615u}},
      {"real", 0.5},
      {"yes", true},
      {"no", false},
      {"date", PropertyValue::Date{733000000}},  // XML keeps whole seconds only
      {"data", PropertyValue::Data{0, 1, 255}},
      {"array", PropertyValue::Array{"a", 1}},
      {"nested", PropertyValue::Dictionary{{"k", "v"}}},
  });
}

// An XML property list of `depth` nested arrays, `between` standing after
// each opening tag.
std::string nestedXML(int depth, const std::string& between) {
  std::string xml = "<plist>";
  xml.reserve(static_cast<std::size_t>(depth) * (between.size() + 15));
  for (int i = 0; i < depth; ++i) xml += "<array>" + between;
  for (int i = 0; i < depth; ++i) xml += "</array>";
  return xml + "</plist>";
}
}  // namespace

TEST(PropertyList, RoundTripsThroughXMLAndBinary) {
  for (const auto& bytes : {test_support::xmlPropertyList(sample()).value(), plist::toBinary(sample()).value()}) {
    auto parsed = plist::parse(bytes);
    ASSERT_TRUE(parsed) << parsed.error()->debugDescription();
    EXPECT_EQ(*parsed, sample());
  }
}

TEST(PropertyList, TheBinaryFormKeepsWhatXMLCannotHold) {
  using namespace std::string_literals;
  const std::vector<PropertyValue> values{
      PropertyValue("a\0b"s),
      PropertyValue(PropertyValue::Date{0.25}),
      PropertyValue(PropertyValue::Date{1e12}),  // the year 33689
      PropertyValue(PropertyValue::Dictionary{{"k\0ey"s, 1}}),
  };
  for (const auto& value : values) {
    EXPECT_FALSE(test_support::xmlPropertyList(value)) << value.description();
    auto parsed = plist::parse(plist::toBinary(value).value());
    ASSERT_TRUE(parsed) << value.description();
    EXPECT_EQ(*parsed, value);
  }
  // Whole seconds beyond 32 bits either way (1874, 2096) survive both forms.
  for (double seconds : {-4e9, 3e9}) {
    const PropertyValue date(PropertyValue::Date{seconds});
    for (const auto& bytes : {test_support::xmlPropertyList(date).value(), plist::toBinary(date).value()})
      EXPECT_EQ(plist::parse(bytes).value(), date) << seconds;
  }
  // Texts that are not UTF-8 cannot be written in either form.
  EXPECT_FALSE(plist::toBinary(PropertyValue("\xFF"s)));
  EXPECT_FALSE(plist::toBinary(PropertyValue(PropertyValue::Dictionary{{"\xC3"s, 1}})));
  EXPECT_FALSE(test_support::xmlPropertyList(PropertyValue("\xFF"s)));
}

TEST(PropertyList, RejectsWhatIsNotAPropertyList) {
  using namespace std::string_literals;
  for (const std::string& bad :
       {std::string(), "hello world"s, "{\"json\": true}"s, "bplist00\x01\x02"s, "bplist17whatever"s,
        "<plist><string>a\0b</string></plist>"s, "<plist><string>\xFF</string></plist>"s, nestedXML(2000, "")}) {
    auto parsed = plist::parse(bad);
    EXPECT_FALSE(parsed) << bad.substr(0, 20);
  }
  auto missing = plist::readFile("/nonexistent/file.plist");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error()->code(), plist::kFileReadNoSuchFileCode);
}

TEST(PropertyList, HostileFilesAreRefusedWithoutCrashing) {
  // Tags may carry blanks; the nesting still counts.
  std::string spacedTags = "<plist>";
  for (int i = 0; i < 200'000; ++i) spacedTags += "<array >";
  for (int i = 0; i < 200'000; ++i) spacedTags += "</array>";
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

  // Closing tags that the parser skips must not hide the nesting it builds:
  // 200,000 arrays, each followed by a comment, a CDATA section or a
  // processing instruction holding a closing tag.
  const std::vector<std::string> hidden{nestedXML(200'000, "<!--</array>-->"),
                                        nestedXML(200'000, "<string><![CDATA[</array>]]></string>"),
                                        nestedXML(200'000, "<?x </array>?>")};

  for (const std::string& bad : {spacedTags, binaryPlist(doubling), binaryPlist(chain), cycle, outOfRange}) {
    auto parsed = plist::parse(bad);
    EXPECT_FALSE(parsed) << bad.substr(0, 20);
  }
  for (const std::string& bad : hidden) {
    auto parsed = plist::parse(bad);
    ASSERT_FALSE(parsed) << bad.substr(0, 40);
    EXPECT_EQ(parsed.error()->code(), plist::kFormatCode);
  }

  // Files the parser gives up on after 200,000 levels: it releases what it
  // built recursively. Never closed, each level followed by a closing tag
  // that a parser may skip.
  auto unclosed = [](const std::string& between) {
    std::string xml = "<plist>";
    for (int i = 0; i < 200'000; ++i) xml += "<array>" + between;
    return xml;
  };
  std::string closings;
  for (int i = 0; i < 200'000; ++i) closings += "</array>";
  const std::vector<std::pair<std::string, std::string>> damaged{
      {"nothing else", unclosed("")},
      {"closed by the wrong tag", unclosed("") + "</dict>"},
      {"a comment", unclosed("<!--</array>-->")},
      {"a CDATA section", unclosed("<string><![CDATA[</array>]]></string>")},
      {"a processing instruction", unclosed("<?x </array>?>")},
      {"a declaration", unclosed("<!DOCTYPE x \"</array>\">")},
      {"an attribute", unclosed("<array x=\"</array>\"/>")},
      {"a DOCTYPE before them", "<!DOCTYPE plist [" + closings + "]>" + unclosed("")},
  };
  for (const auto& [name, bad] : damaged) {
    auto parsed = plist::parse(bad);
    ASSERT_FALSE(parsed) << name;
    EXPECT_EQ(parsed.error()->code(), plist::kFormatCode) << name;
  }

  // Shared objects within bounds are fine.
  auto shared = plist::parse(binaryPlist({arrayOf({1, 1, 1}), "\x51x"}));
  ASSERT_TRUE(shared) << shared.error()->debugDescription();
  EXPECT_EQ(*shared, PropertyValue(PropertyValue::Array{"x", "x", "x"}));
}

TEST(PropertyList, CommentsDeclarationsAndCDATAAroundValuesRead) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\"><!-- <key>old</key><array><string>x</string> -->\n<dict>"
      "<key>text</key><string><![CDATA[</array> <b>]]></string>"
      "<key>empty</key><array/><key>spaced</key><dict />"
      "</dict></plist>";
  auto parsed = plist::parse(xml);
  ASSERT_TRUE(parsed) << parsed.error()->debugDescription();
  EXPECT_EQ(*parsed, PropertyValue(PropertyValue::Dictionary{{"text", "</array> <b>"},
                                                             {"empty", PropertyValue::Array{}},
                                                             {"spaced", PropertyValue::Dictionary{}}}));
  // A byte-order mark before the document, as some editors save UTF-8, is
  // no content.
  auto marked = plist::parse("\xEF\xBB\xBF" + xml);
  ASSERT_TRUE(marked) << marked.error()->debugDescription();
  EXPECT_EQ(*marked, *parsed);
  // 256 levels are the most a file may nest.
  EXPECT_TRUE(plist::parse(nestedXML(256, "")));
  EXPECT_FALSE(plist::parse(nestedXML(257, "")));
}

TEST(PropertyList, BinaryObjectsOutsideWhatSettingsHoldAreRefused) {
  using namespace std::string_literals;
  const std::vector<std::pair<std::string, std::string>> cases{
      {"null", binaryPlist({"\x00"s})},
      {"uid", binaryPlist({"\x80\x01"s})},
      {"set", binaryPlist({"\xC1\x00\x01"s, "\x51x"})},
      {"ASCII text with a byte above 127", binaryPlist({"\x51\xE9"s})},
      {"UTF-16 text with a lone surrogate", binaryPlist({"\x61\xD8\x00"s})},
      {"integer beyond 64 bits", binaryPlist({"\x14\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00"s})},
      {"dictionary key that is a number", binaryPlist({"\xD1\x00\x01\x00\x01"s, "\x10\x05"s})},
      {"text running past the end", binaryPlist({"\x5F\x10\x7F"s})},
  };
  for (const auto& [name, bytes] : cases) EXPECT_FALSE(plist::parse(bytes)) << name;

  // Sixteen-byte integers hold the unsigned values above INT64_MAX.
  auto big = plist::parse(binaryPlist({"\x14\x00\x00\x00\x00\x00\x00\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s}));
  ASSERT_TRUE(big);
  EXPECT_EQ(*big, PropertyValue(std::uint64_t{18446744073709551615u}));
  // A dictionary key holding a NUL character is kept whole.
  auto keyWithNUL = plist::parse(binaryPlist({"\xD1\x00\x01\x00\x02"s, "\x62\x00\x61\x00\x00"s, "\x51x"}));
  ASSERT_TRUE(keyWithNUL);
  EXPECT_EQ(*keyWithNUL, PropertyValue(PropertyValue::Dictionary{{"a\0"s, "x"}}));
}

namespace {
// An XML array of `count` copies of `element`.
std::string xmlArrayOf(std::size_t count, std::string_view element) {
  std::string xml = "<plist><array>";
  xml.reserve(xml.size() + count * element.size() + 20);
  for (std::size_t i = 0; i < count; ++i) xml += element;
  return xml + "</array></plist>";
}

// A binary property list of `count` objects, every one the same "true" in
// the same place, the first the root: one-byte offsets, a table the file
// holds.
std::string binaryPlistOfSharedObjects(std::uint64_t count) {
  std::string bytes = "bplist00\x09";
  const std::uint64_t tableOffset = bytes.size();
  bytes += std::string(count, '\x08');
  bytes += std::string(6, '\0');
  bytes += "\x01\x01";
  for (std::uint64_t field : {count, std::uint64_t{0}, tableOffset})
    for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>((field >> shift) & 0xFF);
  return bytes;
}

// An array claiming `count` elements, each a one-byte reference to a text.
std::string binaryArrayClaiming(std::uint64_t count) {
  std::string bytes = "bplist00\xAF\x13";
  for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>((count >> shift) & 0xFF);
  bytes += std::string(count, '\x01');
  const std::uint64_t textOffset = bytes.size();
  bytes += "\x51x";
  const std::uint64_t tableOffset = bytes.size();
  for (std::uint64_t offset : {std::uint64_t{8}, textOffset})
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((offset >> shift) & 0xFF);
  bytes += std::string(6, '\0');
  bytes += "\x04\x01";
  for (std::uint64_t field : {std::uint64_t{2}, std::uint64_t{0}, tableOffset})
    for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>((field >> shift) & 0xFF);
  return bytes;
}

// `levels` arrays, each holding the next one twice, then a text: 2^levels
// texts and 2^levels - 1 arrays once expanded.
std::string binaryDoubling(std::uint16_t levels) {
  std::vector<std::string> objects;
  for (std::uint16_t i = 0; i < levels; ++i) objects.push_back(arrayOf({std::uint16_t(i + 1), std::uint16_t(i + 1)}));
  objects.push_back("\x51x");
  return binaryPlist(objects);
}
}  // namespace

TEST(PropertyList, FilesHoldingTooManyValuesAreRefusedAsSoonAsTheCountIsPassed) {
  const std::size_t limit = plist::kMaxValues;
  struct Case {
    std::string name;
    std::string bytes;
  };
  const std::vector<Case> refused{
      {"an array and as many Booleans as the limit", xmlArrayOf(limit, "<true/>")},
      {"800,000 empty arrays", xmlArrayOf(800'000, "<array/>")},
      {"dictionary entries, keys counted", "<plist><dict>" + [&] {
         std::string entries;
         for (std::size_t i = 0; i < limit / 2; ++i) entries += "<key>" + std::to_string(i) + "</key><true/>";
         return entries;
       }() + "</dict></plist>"},
      {"a binary table of more objects than the limit", binaryPlistOfSharedObjects(limit + 1)},
      {"a binary array claiming as many elements as the limit", binaryArrayClaiming(limit)},
      {"binary shared references expanding to 131,071 values", binaryDoubling(16)},
  };
  for (const auto& [name, bytes] : refused) {
    auto parsed = plist::parse(bytes);
    ASSERT_FALSE(parsed) << name;
    EXPECT_EQ(parsed.error()->code(), plist::kFormatCode) << name;
  }
  EXPECT_NE(plist::parse(refused[0].bytes).error()->debugDescription().find("more than 100000 values"),
            std::string::npos);

  // The limit itself is fine.
  const std::vector<Case> accepted{
      {"an array and one Boolean fewer", xmlArrayOf(limit - 1, "<true/>")},
      {"a binary table of as many objects as the limit", binaryPlistOfSharedObjects(limit)},
      {"a binary array of one element fewer", binaryArrayClaiming(limit - 2)},
      {"binary shared references expanding to 65,535 values", binaryDoubling(15)},
  };
  for (const auto& [name, bytes] : accepted) {
    auto parsed = plist::parse(bytes);
    EXPECT_TRUE(parsed) << name << ": " << parsed.error()->debugDescription();
  }
}

TEST(PropertyList, MarkupThatIsNoPropertyListIsRefused) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"a key without a value", "<plist><dict><key>a</key></dict></plist>"},
      {"a value without a key", "<plist><dict><true/></dict></plist>"},
      {"two values in the plist element", "<plist><true/><false/></plist>"},
      {"no value in the plist element", "<plist></plist>"},
      {"text between values", "<plist><array>x<true/></array></plist>"},
      {"text after the document", "<plist><true/></plist>trailing"},
      {"a byte-order mark after the declaration", "<?xml version=\"1.0\"?>\xEF\xBB\xBF<plist><true/></plist>"},
      {"an unknown element", "<plist><uid>1</uid></plist>"},
      {"an element inside a text", "<plist><string>a<b/>c</string></plist>"},
      {"an unknown entity", "<plist><string>a&nbsp;b</string></plist>"},
      {"a bare ampersand", "<plist><string>a & b</string></plist>"},
      {"a reference to NUL", "<plist><string>a&#0;b</string></plist>"},
      {"a reference to a surrogate", "<plist><string>a&#xD800;b</string></plist>"},
      {"an array closed as a dictionary", "<plist><array></dict></plist>"},
      {"an unclosed comment", "<plist><true/></plist><!-- "},
      {"an unclosed CDATA section", "<plist><string><![CDATA[x</string></plist>"},
      {"text in a Boolean", "<plist><true>yes</true></plist>"},
      {"a document type with an internal subset", "<!DOCTYPE plist [<!ENTITY x \"y\">]><plist><true/></plist>"},
  };
  for (const auto& [name, xml] : cases) {
    auto parsed = plist::parse(xml);
    ASSERT_FALSE(parsed) << name << ": " << parsed->description();
    EXPECT_EQ(parsed.error()->code(), plist::kFormatCode) << name;
  }
}
