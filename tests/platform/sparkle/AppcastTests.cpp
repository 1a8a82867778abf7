#include <gtest/gtest.h>

#include "FeedText.hpp"
#include "sparkle/Appcast.hpp"
#include "sparkle/SparkleError.hpp"

namespace {

using sparkle::parseAppcast;
using sparkle_test::feed;
using sparkle_test::release;

TEST(Appcast, ReadsEveryReleaseInFeedOrder) {
  auto items = parseAppcast(feed(release("1.1", "<h2>New</h2><ul><li>Faster</li></ul>") + release("1.2")));
  ASSERT_TRUE(items) << items.error()->localizedDescription();
  ASSERT_EQ(items->size(), 2u);
  const auto& first = (*items)[0];
  EXPECT_EQ(first.title, "Version 1.1");
  EXPECT_EQ(first.versionString, "1.1");
  EXPECT_EQ(first.displayVersionString, "1.1");
  EXPECT_EQ(first.itemDescription, "<h2>New</h2><ul><li>Faster</li></ul>");
  EXPECT_EQ(first.infoURL, "https://quorbel.example/releases/1.1");
  EXPECT_EQ(first.fileURL, "https://quorbel.example/download/Mervo-1.1.tar.gz");
  EXPECT_EQ(first.downloadPageURL(), "https://quorbel.example/releases/1.1");
  EXPECT_EQ((*items)[1].versionString, "1.2");
}

TEST(Appcast, VersionsOnTheItemWinAndAShownVersionDefaultsToIt) {
  auto items = parseAppcast(feed(
      "<item><sparkle:version>210</sparkle:version><sparkle:shortVersionString>2.1</sparkle:shortVersionString>"
      "<enclosure url=\"https://x.example/a\" sparkle:version=\"200\"/></item>"
      "<item><sparkle:version>300</sparkle:version></item>"));
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 2u);
  EXPECT_EQ((*items)[0].versionString, "210");
  EXPECT_EQ((*items)[0].displayVersionString, "2.1");
  EXPECT_EQ((*items)[1].displayVersionString, "300");
  EXPECT_EQ((*items)[1].downloadPageURL(), std::nullopt);
}

TEST(Appcast, ItemsWithoutAVersionAreLeftOut) {
  auto items = parseAppcast(feed("<item><title>News</title></item>" + release("1.5")));
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 1u);
  EXPECT_EQ((*items)[0].versionString, "1.5");
  auto empty = parseAppcast(feed(""));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

// A hostile feed must not send people to a local file or a script.
TEST(Appcast, OnlyWebAddressesAreDownloadPages) {
  sparkle::AppcastItem item;
  item.infoURL = "javascript:alert(1)";
  item.fileURL = "file:///etc/passwd";
  EXPECT_EQ(item.downloadPageURL(), std::nullopt);
  item.fileURL = "HTTP://quorbel.example/Mervo.tar.gz";
  EXPECT_EQ(item.downloadPageURL(), "HTTP://quorbel.example/Mervo.tar.gz");
}

struct Refused {
  const char* name;
  std::string text;
  const char* says;
};

// Named in test listings by its case name, not by its bytes.
void PrintTo(const Refused& c, std::ostream* os) { *os << c.name; }

class RefusedFeed : public ::testing::TestWithParam<Refused> {};

void expectRefused(const std::string& text, const std::string& says) {
  auto items = parseAppcast(text);
  ASSERT_FALSE(items);
  EXPECT_EQ(items.error()->domain(), sparkle::kErrorDomain);
  EXPECT_EQ(items.error()->code(), sparkle::AppcastParseError);
  EXPECT_NE(items.error()->localizedDescription().find(says), std::string::npos)
      << items.error()->localizedDescription();
}

TEST_P(RefusedFeed, IsAParseErrorThatSaysWhy) { expectRefused(GetParam().text, GetParam().says); }

// Out of the table, whose values are all built when the program starts.
TEST(Appcast, ATenMegabyteFeedIsRefused) {
  expectRefused(feed(std::string(10 * 1024 * 1024, ' ')), "larger than 1048576 bytes");
}

INSTANTIATE_TEST_SUITE_P(
    Appcast, RefusedFeed,
    ::testing::Values(
        Refused{"NotXML", "{\"version\": \"2.0\"}", "not well-formed XML"},
        Refused{"Truncated", feed(release("1.1")).substr(0, 200), "not well-formed XML"},
        Refused{"HTMLPage", "<html><body>Not found</body></html>", "not an RSS feed"},
        Refused{"RSSWithoutChannel", "<rss version=\"2.0\"></rss>", "not an RSS feed"},
        Refused{"UndeclaredPrefix", "<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>",
                "not well-formed XML"},
        Refused{"EntityExpansion",
                "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                "<rss><channel><title>&b;</title></channel></rss>",
                "document type declaration"},
        Refused{"NestedTenThousandDeep", sparkle_test::nestedFeed(10000), "nested more than 32"},
        Refused{"NestedJustTooDeep", sparkle_test::nestedFeed(30), "nested more than 32"}),
    [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

TEST(Appcast, DepthUpToTheLimitIsRead) {
  EXPECT_TRUE(parseAppcast(sparkle_test::nestedFeed(29)));
}

}  // namespace
