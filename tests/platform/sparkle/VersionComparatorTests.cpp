#include <gtest/gtest.h>

#include "sparkle/VersionComparator.hpp"

namespace {

struct Ordered {
  const char* name;
  const char* older;
  const char* newer;
};

// Named in test listings by its case name, not by its bytes.
void PrintTo(const Ordered& c, std::ostream* os) { *os << c.name; }

class NewerVersion : public ::testing::TestWithParam<Ordered> {};

TEST_P(NewerVersion, ComparesBothWays) {
  const auto& c = GetParam();
  EXPECT_EQ(sparkle::compareVersions(c.older, c.newer), std::strong_ordering::less);
  EXPECT_EQ(sparkle::compareVersions(c.newer, c.older), std::strong_ordering::greater);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, NewerVersion,
    ::testing::Values(Ordered{"NumbersNotText", "1.9", "1.10"}, Ordered{"MajorWins", "1.99.9", "2.0"},
                      Ordered{"ExtraPart", "1.0", "1.0.1"}, Ordered{"PreReleaseBeforeRelease", "1.0b2", "1.0"},
                      Ordered{"PreReleasesInOrder", "1.0b1", "1.0b2"}, Ordered{"BetaBeforeReleaseCandidate", "2.0beta", "2.0rc1"},
                      Ordered{"PreReleaseAfterThePrevious", "0.9", "1.0b1"}, Ordered{"LongNumbers", "1.99999999999999999998", "1.99999999999999999999"},
                      Ordered{"SeparatorsOnlySplit", "1-2", "1.3"}, Ordered{"EmptyIsOldest", "", "0.1"}),
    [](const ::testing::TestParamInfo<Ordered>& info) { return std::string(info.param.name); });

TEST(VersionComparator, EqualVersions) {
  for (auto [a, b] : {std::pair{"1.0", "1.0.0"}, {"1.0", "1.0"}, {"01.2", "1.2"}, {"1.0RC1", "1.0rc1"}, {"", ""}}) {
    SCOPED_TRACE(std::string(a) + " vs " + b);
    EXPECT_EQ(sparkle::compareVersions(a, b), std::strong_ordering::equal);
  }
}

}  // namespace
