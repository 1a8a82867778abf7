#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

#include "firebase_core/FIRTimestamp.hpp"

namespace firebase {
namespace {

FIRTimestamp::Date dateAt(double secondsSince1970) {
  return FIRTimestamp::Date(FIRTimestamp::Date::duration(secondsSince1970));
}

TEST(TimestampTest, DatesSplitIntoSecondsAndNanoseconds) {
  struct Case {
    double since1970;
    std::int64_t seconds;
    std::int32_t nanoseconds;
  };
  const Case cases[] = {
      {-1.5, -2, 500000000},
      {0.25, 0, 250000000},
      {1700000000, 1700000000, 0},
      {-1e-12, -1, 999999999},
      // 1 minus this fraction rounds to a whole second: carried, not raised.
      {-1e-17, 0, 0},
  };
  for (const auto& c : cases) {
    const auto timestamp = FIRTimestamp::timestampWithDate(dateAt(c.since1970));
    EXPECT_EQ(timestamp.seconds(), c.seconds) << c.since1970;
    EXPECT_EQ(timestamp.nanoseconds(), c.nanoseconds) << c.since1970;
  }
}

TEST(TimestampTest, OutOfRangeValuesRaiseWithTheirTexts) {
  try {
    FIRTimestamp(253402300800, 0);
    FAIL();
  } catch (const FIRTimestampException& e) {
    EXPECT_EQ(e.name(), "Invalid timestamp");
    EXPECT_STREQ(e.what(), "Timestamp seconds out of range: 253402300800");
  }
  EXPECT_THROW(FIRTimestamp(-62135596801, 0), FIRTimestampException);
  EXPECT_THROW(FIRTimestamp(0, -1), FIRTimestampException);
  EXPECT_THROW(FIRTimestamp(0, 1000000000), FIRTimestampException);
  EXPECT_NO_THROW(FIRTimestamp(-62135596800, 999999999));
}

// Checked while the seconds are a double: converted first, these would be
// undefined, and on this machine all come out as the same -2^63.
TEST(TimestampTest, DatesOutOfRangeRaiseInsteadOfOverflowing) {
  const std::pair<double, std::string> cases[] = {{1e300, "1e+300"},
                                                  {-1e300, "-1e+300"},
                                                  {std::numeric_limits<double>::quiet_NaN(), "nan"},
                                                  {std::numeric_limits<double>::infinity(), "inf"},
                                                  {-std::numeric_limits<double>::infinity(), "-inf"},
                                                  {253402300800.5, "253402300800"},
                                                  {-62135596801.5, "-62135596802"},
                                                  {9.3e18, "9.3e+18"}};
  for (const auto& [since1970, seconds] : cases) {
    try {
      FIRTimestamp::timestampWithDate(dateAt(since1970));
      ADD_FAILURE() << since1970 << " gave a timestamp";
    } catch (const FIRTimestampException& e) {
      EXPECT_EQ(e.name(), "Invalid timestamp") << since1970;
      EXPECT_EQ(std::string(e.what()), "Timestamp seconds out of range: " + seconds);
    }
  }
  EXPECT_EQ(FIRTimestamp::timestampWithDate(dateAt(253402300799.5)).seconds(), 253402300799);
  EXPECT_EQ(FIRTimestamp::timestampWithDate(dateAt(-62135596800)).seconds(), -62135596800);
}

TEST(TimestampTest, PrintsComparesAndConverts) {
  EXPECT_EQ(FIRTimestamp(0, 5).ISO8601String(), "1970-01-01T00:00:00.000000005Z");
  EXPECT_EQ(FIRTimestamp(-62135596800, 0).ISO8601String(), "0001-01-01T00:00:00.000000000Z");
  EXPECT_EQ(FIRTimestamp(12, 7).description(), "<FIRTimestamp: seconds=12 nanoseconds=7>");
  EXPECT_EQ(FIRTimestamp(1, 0).compare(FIRTimestamp(0, 999999999)), 1);
  EXPECT_EQ(FIRTimestamp(1, 1).compare(FIRTimestamp(1, 2)), -1);
  EXPECT_EQ(FIRTimestamp(1, 2), FIRTimestamp(1, 2));
  EXPECT_DOUBLE_EQ(FIRTimestamp(-2, 500000000).dateValue().time_since_epoch().count(), -1.5);
}

}  // namespace
}  // namespace firebase
