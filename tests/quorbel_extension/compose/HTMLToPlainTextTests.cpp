#include <gtest/gtest.h>

#include <ostream>

#include "compose/HTMLToPlainText.hpp"

namespace {

using quorbel::htmlToPlainText;

struct Conversion {
  const char* name;
  std::string html;
  std::string text;
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << c.name; }

class HTMLToPlainTextTest : public ::testing::TestWithParam<Conversion> {};

TEST_P(HTMLToPlainTextTest, Converts) { EXPECT_EQ(htmlToPlainText(GetParam().html), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Conversions, HTMLToPlainTextTest,
    ::testing::Values(
        Conversion{"PlainTextKeepsLineBreaks", "Hi Sam,\n\nSee you at 10.\n-- Dana", "Hi Sam,\n\nSee you at 10.\n-- Dana"},
        Conversion{"PlainTextKeepsAngleBrackets", "From: Dana <dana@example.org>\na < b > c",
                   "From: Dana <dana@example.org>\na < b > c"},
        Conversion{"PlainTextKeepsEntitiesLiterally", "AT&amp;T", "AT&amp;T"},
        Conversion{"ParagraphsBecomeLines", "<p>Hi Sam,</p><p>See you.</p>", "Hi Sam,\nSee you."},
        Conversion{"DivsAndBreaks", "<div>one</div><div>two<br>three</div>", "one\ntwo\nthree"},
        Conversion{"ConsecutiveBreaksKeepEmptyLines", "a<br><br>b", "a\n\nb"},
        Conversion{"WhiteSpaceCollapses", "<p>  many \n\t spaces   here </p>", "many spaces here"},
        Conversion{"EntitiesDecodedOnce", "<p>&amp;lt; &lt;b&gt; &quot;x&quot; &#39;y&#39; &#x1F600; &euro;</p>",
                   "&lt; <b> \"x\" 'y' 😀 €"},
        Conversion{"UnknownEntityStays", "<p>&bogus; &amp</p>", "&bogus; &amp"},
        Conversion{"InvalidNumericReference", "<p>&#0;&#xD800;&#1114112;</p>", "\uFFFD\uFFFD\uFFFD"},
        Conversion{"ScriptAndStyleDropped",
                   "<html><head><title>T</title><style>p{color:red}</style></head><body><script>alert('<p>x</p>')"
                   "</script><p>Body</p><SCRIPT type=x>y</SCRIPT></body></html>",
                   "Body"},
        Conversion{"CommentsDropped", "<p>a<!-- hidden <p>b</p> -->c</p>", "ac"},
        Conversion{"AddressInAngleBracketsSurvives", "<p>Dana Whitfield <dana@example.org></p>",
                   "Dana Whitfield <dana@example.org>"},
        Conversion{"NonElementTagStays", "<p>Write <Name> here</p>", "Write <Name> here"},
        Conversion{"ListItemsBulleted", "<ul><li>one</li><li>two</li></ul>", "• one\n• two"},
        Conversion{"TableCellsTabSeparated", "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
                   "a\tb\nc"},
        Conversion{"PreformattedKeepsSpacing", "<pre>  x  \n  y</pre><p>z  z</p>", "x  \n  y\nz z"},
        Conversion{"AttributesWithAngleBrackets", "<p title=\"a > b\">text</p>", "text"},
        Conversion{"ImagesAreNotFetched", "<p>before<img src=\"http://127.0.0.1:9/x.png\" alt=\"pic\">after</p>",
                   "beforeafter"},
        Conversion{"NonBreakingSpaceKept", "<p>a&nbsp;&nbsp;b</p>", "a\u00A0\u00A0b"},
        Conversion{"UnclosedTagIsText", "<p>ok</p> <b", "ok\n<b"},
        Conversion{"QuotesOfEitherKindHideTheCloser", "<p title='it\"s > 1' alt=\"don't >\">text</p>", "text"},
        Conversion{"TagWithAQuoteNeverClosedIsText", "<b \"x> <i>y</i> z", "<b \"x> y z"},
        Conversion{"QuoteRunsIntoTheNextTag", "<b \"x> <i title=\">y</i>", "y"},
        Conversion{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HTMLToPlainText, InvalidUTF8BecomesReplacementCharacter) {
  EXPECT_EQ(htmlToPlainText("caf\xC3 ok"), "caf\uFFFD ok");
  EXPECT_EQ(htmlToPlainText("<p>\xFF\xFEx</p>"), "\uFFFD\uFFFDx");
}

TEST(HTMLToPlainText, ConvertingTwiceChangesNothingForItsOwnOutput) {
  // The popover converts once; its plain text must survive if it is fed back.
  std::string once = htmlToPlainText("<p>Dana &lt;dana@example.org&gt;</p><p>Line two</p>");
  EXPECT_EQ(once, "Dana <dana@example.org>\nLine two");
  EXPECT_EQ(htmlToPlainText(once), once);
}

TEST(HTMLToPlainText, UnterminatedScriptDropsTheRest) {
  EXPECT_EQ(htmlToPlainText("<p>shown</p><script>never closed <p>hidden</p>"), "shown");
}

}  // namespace
