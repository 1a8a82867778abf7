#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "foundation/Base64.hpp"

namespace base64 = platform::base64;
using namespace std::string_literals;

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> sampleBytes(std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 250);
  return bytes;
}

}  // namespace

TEST(Base64, StandardFormMatchesTheRFCVectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(base64::encode(bytesOf(plain)), encoded);
    EXPECT_EQ(base64::decode(encoded), bytesOf(plain)) << encoded;
  }
  EXPECT_EQ(base64::encode(std::vector<std::uint8_t>{0xfb, 0xff}), "+/8=");
}

TEST(Base64, BothFormsRoundTripAnyBytes) {
  for (std::size_t length = 0; length < 70; ++length) {
    const auto bytes = sampleBytes(length);
    const auto standard = base64::encode(bytes);
    EXPECT_EQ(standard.size() % 4, 0u);
    EXPECT_EQ(base64::decode(standard), bytes);
    const auto urlSafe = base64::encodeURLSafe(bytes);
    EXPECT_EQ(urlSafe.find_first_of("+/="), std::string::npos);
    EXPECT_EQ(base64::decodeURLSafe(urlSafe), bytes);
  }
}

TEST(Base64, AppendingWritesAfterWhatIsThere) {
  std::string out = "\"";
  base64::appendEncoded(out, bytesOf("foo"));
  EXPECT_EQ(out, "\"Zm9v");
}

TEST(Base64, StandardReadingRefusesWhatIsNotStrictlyBase64) {
  for (const char* bad : {"Zg", "Zg=", "Zm9", "Z===", "====", "Zm-v", "Zm_v", "Zm9v\n", " Zm9v", "Zg==Zg==", "Zm=v",
                          "\xC3\xA9\xC3\xA9"})
    EXPECT_FALSE(base64::decode(bad).has_value()) << bad;
}

TEST(Base64, URLSafeReadingAlsoTakesTheStandardAlphabetAndOptionalPadding) {
  EXPECT_EQ(base64::decodeURLSafe("a+b/"), base64::decodeURLSafe("a-b_"));
  EXPECT_EQ(base64::decodeURLSafe("+/8="), (std::vector<std::uint8_t>{0xfb, 0xff}));
  EXPECT_EQ(base64::decodeURLSafe("QQ="), (std::vector<std::uint8_t>{'A'}));
  EXPECT_EQ(base64::decodeURLSafe("QQ"), (std::vector<std::uint8_t>{'A'}));
  for (const char* bad : {"abcde", "QQ===", "QUJD=", "a b c", "QQ=Q"})
    EXPECT_FALSE(base64::decodeURLSafe(bad).has_value()) << bad;
}

TEST(Base64, EncodedWordReadingSkipsPaddingWhereverItStands) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"SGVsbG8=", "Hello"}, {"SGVsbG8", "Hello"},  {"SGVs=bG8", "Hello"}, {"SGVsbG8A1", "Hello\0"s},
      {"====", ""},          {"Zm9v+/8=", "foo\xfb\xff"}, {"SGV*sbG8", std::nullopt}, {"Zm-v", std::nullopt},
  };
  for (const auto& [encoded, plain] : cases) {
    auto decoded = base64::decodeIgnoringPadding(encoded);
    ASSERT_EQ(decoded.has_value(), plain.has_value()) << encoded;
    if (plain) {
      EXPECT_EQ(*decoded, bytesOf(*plain)) << encoded;
    }
  }
}
