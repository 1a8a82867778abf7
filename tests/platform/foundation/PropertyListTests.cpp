#include <gtest/gtest.h>

#include "foundation/PropertyList.hpp"

using platform::PropertyValue;
namespace plist = platform::plist;

namespace {
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
