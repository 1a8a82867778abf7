#include <gtest/gtest.h>

#include "foundation/LineSplitter.hpp"

namespace {

using platform::LineSplitter;

// The lines of a body fed in pieces of one size, then finished.
std::vector<std::string> split(std::string_view body, std::size_t pieceSize, std::size_t maxLine = 64) {
  LineSplitter splitter(maxLine);
  std::vector<std::string> lines;
  auto collect = [&](std::string_view line) { lines.emplace_back(line); };
  for (std::size_t at = 0; at < body.size(); at += pieceSize)
    EXPECT_TRUE(splitter.feed(body.substr(at, pieceSize), collect));
  EXPECT_TRUE(splitter.finish(collect));
  return lines;
}

struct SplitCase {
  const char* name;
  std::string body;
  std::vector<std::string> lines;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class LineBreaks : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineBreaks, GiveTheSameLinesHoweverTheBodyIsCut) {
  const auto& c = GetParam();
  for (std::size_t size = 1; size <= c.body.size() + 1; ++size) EXPECT_EQ(split(c.body, size), c.lines) << size;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineBreaks,
    ::testing::Values(SplitCase{"LineFeeds", "a\nbc\n", {"a", "bc"}},
                      SplitCase{"CarriageReturnLineFeed", "a\r\nb\r\n\r\nc", {"a", "b", "", "c"}},
                      SplitCase{"CarriageReturnsAlone", "a\rb\r\rc\r", {"a", "b", "", "c"}},
                      SplitCase{"EmptyLines", "\n\n", {"", ""}},
                      SplitCase{"NoBreakAtTheEnd", "data: x", {"data: x"}},
                      SplitCase{"Nothing", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineSplitter, KeepsOnlyTheUnfinishedLineAndStopsPastTheCap) {
  LineSplitter splitter(10);
  std::size_t lines = 0;
  auto count = [&](std::string_view) { ++lines; };
  for (int i = 0; i < 100000; ++i) ASSERT_TRUE(splitter.feed(i % 2 ? "56789\n" : "01234", count));
  EXPECT_EQ(lines, 50000u);
  EXPECT_EQ(splitter.bufferedBytes(), 0u);
  EXPECT_EQ(splitter.peakBufferedBytes(), 10u);

  EXPECT_TRUE(splitter.feed("0123456789", count));  // exactly the cap
  EXPECT_FALSE(splitter.feed("x", count));
  EXPECT_TRUE(splitter.isOverLong());
  EXPECT_FALSE(splitter.feed("\n", count));
  EXPECT_FALSE(splitter.finish(count));
  EXPECT_EQ(lines, 50000u);

  LineSplitter whole(4);
  EXPECT_FALSE(whole.feed("12345\n", count));  // a complete line past the cap in one piece
}

}  // namespace
