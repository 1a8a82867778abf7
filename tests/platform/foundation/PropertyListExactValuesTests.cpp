// Hand-edited XML property lists: a value is read exactly as its text says,
// or the file is refused with the key the value stands under, and a settings
// file refused so is never written over.
#include <fstream>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "foundation/DefaultsCommand.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/IdenticalValues.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::PropertyValue;
using platform::UserDefaults;
namespace plist = platform::plist;

namespace {

// A settings file holding one value under the key "k".
std::string underKey(const std::string& value) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>k</key>\n\t" + value +
         "\n</dict>\n</plist>\n";
}

struct ExactValue {
  std::string name;
  std::string xml;  // the value's element
  PropertyValue value;
  friend void PrintTo(const ExactValue& value, std::ostream* out) { *out << value.name; }
};

using Date = PropertyValue::Date;
using Data = PropertyValue::Data;

const ExactValue kExactValues[] = {
    {"SmallestInteger", "<integer>-9223372036854775808</integer>", std::numeric_limits<std::int64_t>::min()},
    {"LargestInteger", "<integer>18446744073709551615</integer>", std::numeric_limits<std::uint64_t>::max()},
    {"LeadingZerosAreDecimal", "<integer>010</integer>", 10},
    {"Hexadecimal", "<integer>0x1F</integer>", 31},
    {"NegativeHexadecimal", "<integer>-0x10</integer>", -16},
    {"SignAndBlanks", "<integer> +12\n</integer>", 12},
    {"NegativeZero", "<integer>-0</integer>", 0},
    {"CharacterReferenceInAnInteger", "<integer>&#49;2</integer>", 12},
    {"DecimalFraction", "<real>0.1</real>", 0.1},
    {"Exponent", "<real>-1.5e3</real>", -1500.0},
    {"NoLeadingDigit", "<real>.5</real>", 0.5},
    {"SmallestSubnormal", "<real>4.9406564584124654e-324</real>", std::numeric_limits<double>::denorm_min()},
    {"PlusInfinity", "<real>+infinity</real>", std::numeric_limits<double>::infinity()},
    {"MinusInfinity", "<real>-infinity</real>", -std::numeric_limits<double>::infinity()},
    {"NotANumber", "<real>nan</real>", std::numeric_limits<double>::quiet_NaN()},
    {"FirstDay", "<date>0001-01-01T00:00:00Z</date>", Date{-63113904000}},
    {"LastSecond", "<date>9999-12-31T23:59:59Z</date>", Date{252423993599}},
    {"LeapDay", "<date>2024-02-29T12:34:56Z</date>", Date{730902896}},
    {"DataWithBlanks", "<data>\n\tAA\n\tEC\n\t</data>", Data{0, 1, 2}},
    {"PaddedData", "<data>AAE=</data>", Data{0, 1}},
    {"EmptyDataTag", "<data/>", Data{}},
    {"EmptyData", "<data></data>", Data{}},
    {"EntitiesAndReferences", "<string>&lt;&amp;&gt;&quot;&apos;&#233;&#x1F642;</string>", "<&>\"'\u00E9\U0001F642"},
    {"CDATAAndComment", "<string>a<![CDATA[<&>]]><!-- note -->b</string>", "a<&>b"},
    {"BlanksKept", "<string> a\r\n b </string>", " a\r\n b "},
    {"EmptyBooleanElement", "<true></true>", true},
    {"KeyGivenTwiceKeepsTheLast", "<integer>1</integer><key>k</key><integer>2</integer>", 2},
};

class ExactValueTest : public ::testing::TestWithParam<ExactValue> {};

TEST_P(ExactValueTest, ReadsAsItsTextSays) {
  auto parsed = plist::parse(underKey(GetParam().xml));
  ASSERT_TRUE(parsed) << parsed.error()->debugDescription();
  EXPECT_TRUE(test_support::identical(*parsed, PropertyValue(PropertyValue::Dictionary{{"k", GetParam().value}})))
      << parsed->description();
}

INSTANTIATE_TEST_SUITE_P(PropertyList, ExactValueTest, ::testing::ValuesIn(kExactValues),
                         [](const auto& info) { return info.param.name; });

struct InexactValue {
  std::string name;
  std::string xml;
  std::string reason;  // follows "the <type> under the key "k" "
  friend void PrintTo(const InexactValue& value, std::ostream* out) { *out << value.name; }
};

const InexactValue kInexactValues[] = {
    {"IntegerBelow64Bits", "<integer>-9223372036854775809</integer>", "lies beyond 64 bits"},
    {"IntegerAbove64Bits", "<integer>18446744073709551616</integer>", "lies beyond 64 bits"},
    {"HexadecimalAbove64Bits", "<integer>0x10000000000000000</integer>", "lies beyond 64 bits"},
    {"IntegerWithLetters", "<integer>12abc</integer>", "is not a whole number"},
    {"IntegerWithExponent", "<integer>1e3</integer>", "is not a whole number"},
    {"IntegerWithTwoSigns", "<integer>--5</integer>", "is not a whole number"},
    {"IntegerWithBlankAfterSign", "<integer>- 5</integer>", "is not a whole number"},
    {"EmptyInteger", "<integer></integer>", "is not a whole number"},
    {"EmptyIntegerTag", "<integer/>", "is not a whole number"},
    {"RealBeyondRange", "<real>1e400</real>", "lies beyond what a real number holds"},
    {"RealTooSmall", "<real>1e-400</real>", "lies beyond what a real number holds"},
    {"RealWord", "<real>abc</real>", "is not a number"},
    {"HexadecimalReal", "<real>0x1p3</real>", "is not a number"},
    {"RealWithComma", "<real>1,5</real>", "is not a number"},
    {"RealWithTwoSigns", "<real>+-1</real>", "is not a number"},
    {"DateInYear99999", "<date>99999-01-01T00:00:00Z</date>", "is not a date"},
    {"DateWord", "<date>garbage</date>", "is not a date"},
    {"DateInMonth13", "<date>2024-13-01T00:00:00Z</date>", "is not a date"},
    {"ThirtiethOfFebruary", "<date>2024-02-30T00:00:00Z</date>", "is not a date"},
    {"LeapSecond", "<date>2016-12-31T23:59:60Z</date>", "is not a date"},
    {"DateWithoutZone", "<date>2024-01-02T03:04:05</date>", "is not a date"},
    {"DateWithFraction", "<date>2024-01-02T03:04:05.5Z</date>", "is not a date"},
    {"DateInYearZero", "<date>0000-01-01T00:00:00Z</date>", "is not a date"},
    {"DateWithOffset", "<date>2024-01-02T03:04:05+01:00</date>", "is not a date"},
    {"DataOfOtherCharacters", "<data>@@@@</data>", "is not Base64"},
    {"DataWithoutPadding", "<data>AAE</data>", "is not Base64"},
    {"DataWithStrayBits", "<data>AAF=</data>", "is not Base64"},
    {"DataPaddedInside", "<data>AA==AA==</data>", "is not Base64"},
};

class InexactValueTest : public ::testing::TestWithParam<InexactValue> {};

TEST_P(InexactValueTest, RefusesTheFileNamingTheKey) {
  auto parsed = plist::parse(underKey(GetParam().xml));
  ASSERT_FALSE(parsed) << parsed->description();
  const std::string type = GetParam().xml.substr(1, GetParam().xml.find_first_of("/>") - 1);
  const std::string expected = "the " + type + " under the key \"k\" " + GetParam().reason;
  EXPECT_NE(parsed.error()->debugDescription().find(expected), std::string::npos)
      << parsed.error()->debugDescription() << "\nwanted: " << expected;
}

INSTANTIATE_TEST_SUITE_P(PropertyList, InexactValueTest, ::testing::ValuesIn(kInexactValues),
                         [](const auto& info) { return info.param.name; });

TEST(PropertyList, AnInexactValueIsNamedByTheKeyItStandsUnderHoweverDeep) {
  auto parsed = plist::parse(
      "<plist><dict><key>first</key><true/><key>outer</key><dict><key>list</key>"
      "<array><integer>1</integer><integer>12abc</integer></array></dict></dict></plist>");
  ASSERT_FALSE(parsed);
  EXPECT_NE(parsed.error()->debugDescription().find("the integer under the key \"list\" is not a whole number"),
            std::string::npos)
      << parsed.error()->debugDescription();
  auto atTheTop = plist::parse("<plist><date>garbage</date></plist>");
  ASSERT_FALSE(atTheTop);
  EXPECT_NE(atTheTop.error()->debugDescription().find("the date outside any dictionary is not a date"),
            std::string::npos)
      << atTheTop.error()->debugDescription();
}

TEST(PropertyList, ASettingsFileWithAnInexactValueIsRefusedAndNeverWrittenOver) {
  test_support::resetDefaults();
  const auto file = UserDefaults::fileForDomain("group.test.inexact");
  std::filesystem::create_directories(file.parent_path());
  const std::string content =
      "<plist><dict><key>llm_provider</key><string>openai</string>"
      "<key>llm_max_tokens</key><integer>-9223372036854775809</integer></dict></plist>";
  { std::ofstream(file, std::ios::binary) << content; }

  auto opened = UserDefaults::openSuite("group.test.inexact");
  ASSERT_FALSE(opened);
  EXPECT_NE(opened.error()->localizedDescription().find("\"llm_max_tokens\""), std::string::npos)
      << opened.error()->localizedDescription();

  std::ostringstream out, err;
  EXPECT_EQ(platform::runDefaultsCommand({"write", "group.test.inexact", "llm_model", "gpt-4o-mini"}, out, err), 1);
  EXPECT_NE(err.str().find("\"llm_max_tokens\""), std::string::npos) << err.str();
  EXPECT_EQ(test_support::readFile(file), content);

  // Edited so while a program has the suite open: its writes wait.
  {
    std::ofstream(file, std::ios::binary)
        << "<plist><dict><key>llm_max_tokens</key><integer>512</integer></dict></plist>";
  }
  UserDefaults::resetForTesting();
  auto suite = UserDefaults::suite("group.test.inexact");
  ASSERT_TRUE(suite);
  { std::ofstream(file, std::ios::binary) << content; }
  ASSERT_TRUE(suite->set("llm_model", "gpt-4o-mini"));
  auto written = suite->writeChanges();
  ASSERT_FALSE(written);
  EXPECT_NE(written.error()->localizedDescription().find("\"llm_max_tokens\""), std::string::npos);
  EXPECT_EQ(test_support::readFile(file), content);
}

}  // namespace
