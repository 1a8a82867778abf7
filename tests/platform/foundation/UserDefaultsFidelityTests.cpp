// A write of one key keeps every other value of the domain exactly: checked
// as a property over generated domains of every value type and edge value.
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "foundation/AtomicFile.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/IdenticalValues.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"
#include "test_support/XMLPropertyList.hpp"

using platform::PropertyValue;
using platform::UserDefaults;
namespace plist = platform::plist;
using namespace std::string_literals;

namespace {

using test_support::identical;

const std::vector<std::string> kEdgeTexts{
    "", "plain", "a\0b"s, "\0"s, "h\u00E9llo", "\U0001F642 emoji", "\u200B", std::string(10'000, 'x'),
    "<&>\"'", "\r\n\t", "\x7F", "\uFFFF", "\U0010FFFF", "e\u0301"};

std::vector<PropertyValue> edgeScalars() {
  using Limits64 = std::numeric_limits<std::int64_t>;
  std::vector<PropertyValue> values;
  for (const auto& text : kEdgeTexts) values.emplace_back(text);
  for (std::int64_t i : {Limits64::min(), Limits64::min() + 1, std::int64_t{-1}, std::int64_t{0}, std::int64_t{1},
                         std::int64_t{127}, std::int64_t{128}, std::int64_t{255}, std::int64_t{256},
                         std::int64_t{65535}, std::int64_t{65536}, std::int64_t{2147483647},
                         std::int64_t{4294967295}, std::int64_t{4294967296}, Limits64::max()})
    values.emplace_back(i);
  values.emplace_back(std::uint64_t{9223372036854775808u});
  values.emplace_back(std::numeric_limits<std::uint64_t>::max());
  for (double d : {0.0, -0.0, 0.1, -1.5, DBL_MIN, std::numeric_limits<double>::denorm_min(), DBL_MAX, -DBL_MAX,
                   HUGE_VAL, -HUGE_VAL, std::nan(""), 1e-300})
    values.emplace_back(d);
  // Dates with fractions, and far outside the 32-bit range of seconds.
  for (double seconds : {0.0, 0.5, -0.001, 733000000.123456, -2147483649.0, 2147483648.0, 1e12, -1e12, std::nan("")})
    values.emplace_back(PropertyValue::Date{seconds});
  values.emplace_back(true);
  values.emplace_back(false);
  PropertyValue::Data everyByte;
  for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<std::uint8_t>(b));
  values.emplace_back(PropertyValue::Data{});
  values.emplace_back(PropertyValue::Data{0});
  values.emplace_back(std::move(everyByte));
  values.emplace_back(PropertyValue::Array{});
  values.emplace_back(PropertyValue::Dictionary{});
  return values;
}

// Generates domains: edge values and random ones of every type, nested.
class DomainGenerator {
 public:
  explicit DomainGenerator(std::uint64_t seed) : random_(seed) {}

  PropertyValue::Dictionary domain() {
    PropertyValue::Dictionary values;
    const int count = pick(1, 25);
    for (int i = 0; i < count; ++i) values.insert_or_assign(key(), value(0));
    return values;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::string key() { return pick(0, 2) == 0 ? kEdgeTexts[pick(0, kEdgeTexts.size() - 1)] : text(); }

  // Characters of one to four UTF-8 bytes, from every plane, NUL included.
  std::string text() {
    static const std::vector<std::string> characters{
        "\0"s, "a", "Z", "~", "\x7F", "\u00E9", "\u07FF", "\u0800", "\u4E2D", "\uFEFF", "\uFFFD",
        "\U00010000", "\U0001F642", "\U0010FFFF", "e\u0301"};
    std::string out;
    for (int i = pick(0, 12); i > 0; --i) out += characters[pick(0, characters.size() - 1)];
    return out;
  }

  PropertyValue value(int depth) {
    switch (pick(0, depth < 3 ? 9 : 7)) {
      case 0: return edges_[pick(0, edges_.size() - 1)];
      case 1: return PropertyValue(text());
      case 2: return PropertyValue(static_cast<std::int64_t>(random_()));
      case 3: return PropertyValue(static_cast<std::uint64_t>(random_()));
      case 4: return PropertyValue(std::bit_cast<double>(random_()));  // NaN payloads and all
      case 5: return PropertyValue(PropertyValue::Date{std::bit_cast<double>(random_())});
      case 6: {
        PropertyValue::Data data(pick(0, 40));
        for (auto& byte : data) byte = static_cast<std::uint8_t>(random_());
        return PropertyValue(std::move(data));
      }
      case 7: return PropertyValue(pick(0, 1) == 1);
      case 8: {
        PropertyValue::Array items;
        for (int i = pick(0, 5); i > 0; --i) items.push_back(value(depth + 1));
        return PropertyValue(std::move(items));
      }
      default: {
        PropertyValue::Dictionary entries;
        for (int i = pick(0, 5); i > 0; --i) entries.insert_or_assign(key(), value(depth + 1));
        return PropertyValue(std::move(entries));
      }
    }
  }

  std::mt19937_64 random_;
  const std::vector<PropertyValue> edges_ = edgeScalars();
};

class UserDefaultsFidelityTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::resetDefaults(); }

  // Puts the domain's file in place as another writer left it, writes one
  // other key through a suite, and answers what the file holds then.
  PropertyValue rewriteWithAnotherKey(const std::string& encoded) {
    const auto file = UserDefaults::fileForDomain(kSuite);
    std::filesystem::create_directories(file.parent_path());
    test_support::TempDir scratch;
    {
      platform::files::FileLock lock(file);
      EXPECT_TRUE(lock.replaceAtomically(encoded));
    }
    UserDefaults::resetForTesting();
    auto suite = UserDefaults::suite(kSuite);
    EXPECT_TRUE(suite);
    if (!suite) return PropertyValue();
    EXPECT_TRUE(suite->set(kWrittenKey, "written"));
    EXPECT_TRUE(suite->synchronize());
    auto stored = plist::readFile(file);
    EXPECT_TRUE(stored) << stored.error()->debugDescription();
    return stored ? std::move(*stored) : PropertyValue();
  }

  static constexpr const char* kSuite = "group.test.fidelity";
  static constexpr const char* kWrittenKey = "\x01written by the test";
};

}  // namespace

TEST_F(UserDefaultsFidelityTest, AWriteKeepsEveryValueItDidNotChange) {
  int xmlDomains = 0;
  for (std::uint64_t seed = 1; seed <= 150; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    auto domain = DomainGenerator(seed).domain();
    domain.erase(kWrittenKey);
    const PropertyValue written(domain);
    auto expected = domain;
    expected[kWrittenKey] = "written";
    const PropertyValue wanted(std::move(expected));

    EXPECT_TRUE(identical(rewriteWithAnotherKey(plist::toBinary(written).value()), wanted));
    // A file left in the XML form keeps its values as well once rewritten.
    if (auto xml = test_support::xmlPropertyList(written)) {
      ++xmlDomains;
      EXPECT_TRUE(identical(rewriteWithAnotherKey(*xml), wanted));
    }
  }
  EXPECT_GT(xmlDomains, 0);
}

TEST_F(UserDefaultsFidelityTest, AValueThatCannotBeStoredIsRefusedAndTheRestIsWritten) {
  auto suite = UserDefaults::suite(kSuite);
  ASSERT_TRUE(suite);
  ASSERT_TRUE(suite->set("kept", "yes"));
  ASSERT_TRUE(suite->synchronize());
  const auto before = test_support::readFile(UserDefaults::fileForDomain(kSuite));

  EXPECT_FALSE(suite->set("broken", "\xFF\xFE"s));
  EXPECT_FALSE(suite->set("\xC3", "value"));
  EXPECT_FALSE(suite->set("nested", PropertyValue::Array{PropertyValue::Dictionary{{"k", "\xE2\x82"s}}}));
  EXPECT_FALSE(suite->object("broken"));
  EXPECT_TRUE(suite->synchronize());
  EXPECT_EQ(test_support::readFile(UserDefaults::fileForDomain(kSuite)), before);

  // Later writes are not held back by the refused ones.
  ASSERT_TRUE(suite->set("later", 2));
  ASSERT_TRUE(suite->synchronize());
  UserDefaults::resetForTesting();
  auto reread = UserDefaults::suite(kSuite)->dictionaryRepresentation();
  EXPECT_EQ(reread, (PropertyValue::Dictionary{{"kept", "yes"}, {"later", 2}}));
}
