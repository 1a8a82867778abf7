#include <gtest/gtest.h>

#include <ostream>

#include "mailkit/PlainText.hpp"

namespace {

using mailkit::PlainTextFormat;
using mailkit::readPlainText;

struct Reading {
  const char* name;
  std::string text;
  PlainTextFormat format;
  std::string read;
};

void PrintTo(const Reading& r, std::ostream* os) { *os << r.name; }

class PlainTextTest : public ::testing::TestWithParam<Reading> {};

TEST_P(PlainTextTest, Reads) { EXPECT_EQ(readPlainText(GetParam().text, GetParam().format), GetParam().read); }

constexpr PlainTextFormat kFixed{};
constexpr PlainTextFormat kFlowed{.flowed = true};
constexpr PlainTextFormat kFlowedDelSp{.flowed = true, .deleteSpace = true};

INSTANTIATE_TEST_SUITE_P(
    Fixed, PlainTextTest,
    ::testing::Values(
        Reading{"KeepsLineBreaks", "Hi Sam,\n\nSee you at 10.\n-- Dana", kFixed, "Hi Sam,\n\nSee you at 10.\n-- Dana"},
        Reading{"CRLFIsOneLineBreak", "Line one\r\nLine two\r\n\r\nPara two\r\n", kFixed,
                "Line one\nLine two\n\nPara two\n"},
        Reading{"LoneCRIsALineBreak", "one\rtwo", kFixed, "one\ntwo"},
        Reading{"MarkupIsText", "Use <br> or <p>, not <b>bold</b>.\nLine two", kFixed,
                "Use <br> or <p>, not <b>bold</b>.\nLine two"},
        Reading{"ReferencesAreText", "AT&amp;T, a&b, &copy", kFixed, "AT&amp;T, a&b, &copy"},
        Reading{"AngleBracketsKept", "From: Dana <dana@example.org>\na < b > c", kFixed,
                "From: Dana <dana@example.org>\na < b > c"},
        Reading{"QuotedLinesKept", "Yes.\r\n\r\n> Can you come?\r\n>> Lunch?\r\n", kFixed,
                "Yes.\n\n> Can you come?\n>> Lunch?\n"},
        Reading{"TrailingSpacesKept", "soft \nline", kFixed, "soft \nline"},
        Reading{"InvalidUTF8", "caf\xC3 ok", kFixed, "caf\uFFFD ok"},
        Reading{"Empty", "", kFixed, ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Flowed, PlainTextTest,
    ::testing::Values(
        Reading{"SoftBreaksJoined", "This paragraph was \r\nwrapped by the \r\nsender.\r\nNext line.\r\n", kFlowed,
                "This paragraph was wrapped by the sender.\nNext line.\n"},
        Reading{"BlankLinesKept", "One \r\ntwo.\r\n\r\nThree.", kFlowed, "One two.\n\nThree."},
        Reading{"DelSpRemovesTheSoftBreakSpace", "日本語の \r\n文章です。\r\nwrap \r\nped", kFlowedDelSp,
                "日本語の文章です。\nwrapped"},
        Reading{"DelSpIgnoredWithoutFlowed", "a \r\nb", PlainTextFormat{.deleteSpace = true}, "a \nb"},
        Reading{"SpaceStuffingRemoved", " From the start\r\n  two spaces\r\n", kFlowed, "From the start\n two spaces\n"},
        Reading{"QuoteDepthKept",
                "Sounds good.\r\n\r\n> Shall we meet \r\n> on Friday?\r\n>> Lunch \r\n>> first?\r\n>\r\n> Dana\r\n",
                kFlowed, "Sounds good.\n\n> Shall we meet on Friday?\n> > Lunch first?\n>\n> Dana\n"},
        Reading{"QuoteWithoutStuffingSpace", ">quoted \r\n>text", kFlowed, "> quoted text"},
        Reading{"SoftBreakBeforeOtherDepthIsHard", "> end of quote \r\nmy reply", kFlowed, "> end of quote\nmy reply"},
        Reading{"SignatureSeparatorKept", "Thanks, \r\n-- \r\nDana \r\nWhitfield\r\n", kFlowed,
                "Thanks,\n-- \nDana Whitfield\n"},
        Reading{"QuotedSignatureSeparator", "> Bye\r\n> -- \r\n> Dana", kFlowed, "> Bye\n> -- \n> Dana"},
        Reading{"SoftBreakAtTheEnd", "last line ", kFlowed, "last line"},
        Reading{"MarkupIsText", "<p>not \r\nHTML</p> &amp;", kFlowed, "<p>not HTML</p> &amp;"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
