#include <gtest/gtest.h>

#include <ostream>

#include "mailkit/HTMLToPlainText.hpp"

namespace {

using mailkit::htmlToPlainText;

struct Conversion {
  const char* name;
  std::string html;
  std::string text;
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << c.name; }

class HTMLToPlainTextTest : public ::testing::TestWithParam<Conversion> {};

TEST_P(HTMLToPlainTextTest, Converts) { EXPECT_EQ(htmlToPlainText(GetParam().html), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Layout, HTMLToPlainTextTest,
    ::testing::Values(
        Conversion{"ParagraphsBecomeLines", "<p>Hi Sam,</p><p>See you.</p>", "Hi Sam,\nSee you."},
        Conversion{"DivsAndBreaks", "<div>one</div><div>two<br>three</div>", "one\ntwo\nthree"},
        Conversion{"ConsecutiveBreaksKeepEmptyLines", "a<br><br>b", "a\n\nb"},
        Conversion{"WhiteSpaceCollapses", "<p>  many \n\t spaces   here </p>", "many spaces here"},
        Conversion{"ListItemsBulleted", "<ul><li>one</li><li>two</li></ul>", "• one\n• two"},
        Conversion{"OrderedListNumbered", "<ol><li>one<li> two </ol><ol start=\"7\"><li>seven<li>eight</ol>",
                   "1. one\n2. two\n7. seven\n8. eight"},
        Conversion{"ItemsOfParagraphsKeepTheirMarker",
                   "<ol><li><p>one</p></li><li><div>two</div><p>more</p></li><li><p></p></li><li>four</ol>",
                   "1. one\n2. two\nmore\n3.\n4. four"},
        Conversion{"NestedListsNumberedApart", "<ol><li>a<ul><li>b</ul><li>c</ol>", "1. a\n• b\n2. c"},
        Conversion{"TableCellsTabSeparated", "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
                   "a\tb\nc"},
        Conversion{"UnclosedCellsAndRows", "<table><tr><th>Day<th>Room<tr><td>Mon<td>4.01</table>after",
                   "Day\tRoom\nMon\t4.01\nafter"},
        Conversion{"PreformattedKeepsSpacing", "<pre>  x  \n  y</pre><p>z  z</p>", "x  \n  y\nz z"},
        Conversion{"BlockquoteLinesMarked",
                   "<p>Yes, Friday works.</p><blockquote><p>Can you come?</p><p>Dana</p></blockquote><p>Sam</p>",
                   "Yes, Friday works.\n> Can you come?\n> Dana\nSam"},
        Conversion{"NestedBlockquotes",
                   "<blockquote>Sure.<br><br><blockquote>Lunch?<br>Dana</blockquote></blockquote>",
                   "> Sure.\n>\n> > Lunch?\n> > Dana"},
        Conversion{"PreformattedInBlockquote", "<blockquote><pre>a\n  b</pre></blockquote>", "> a\n>   b"},
        Conversion{"LinkTextWithoutAddress", "<p>See <a href=\"https://example.org/agenda\">the agenda</a>.</p>",
                   "See the agenda."},
        Conversion{"AttributesWithAngleBrackets", "<p title=\"a > b\">text</p>", "text"},
        Conversion{"QuotesOfEitherKindHideTheCloser", "<p title='it\"s > 1' alt=\"don't >\">text</p>", "text"},
        Conversion{"ImagesAreNotFetched", "<p>before<img src=\"http://127.0.0.1:9/x.png\" alt=\"pic\">after</p>",
                   "beforeafter"},
        // As a browser reads them: what looks like a tag is one.
        Conversion{"AddressInAngleBracketsIsATag", "<p>Dana Whitfield <dana@example.org></p>", "Dana Whitfield"},
        Conversion{"UnclosedTagAtTheEndIsDropped", "<p>ok</p> <b", "ok"},
        Conversion{"TagWithAQuoteNeverClosed", "<b \"x> <i>y</i> z", "y z"},
        Conversion{"PlainTextReadAsHTML", "Line one\nLine two &amp; more", "Line one Line two & more"},
        Conversion{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Character references as the HTML standard decodes them: every named one,
// the legacy ones without ";", numeric ones; unknown ones stay as written.
INSTANTIATE_TEST_SUITE_P(
    References, HTMLToPlainTextTest,
    ::testing::Values(
        Conversion{"EntitiesDecodedOnce", "<p>&amp;lt; &lt;b&gt; &quot;x&quot; &#39;y&#39; &#x1F600; &euro;</p>",
                   "&lt; <b> \"x\" 'y' 😀 €"},
        Conversion{"Nordic", "K&oslash;benhavn, &Aring;rhus, &aelig;ble, &THORN;&eth;", "København, Århus, æble, Þð"},
        Conversion{"DutchFrenchItalian", "galerie&euml;n, na&iuml;ve, co&ucirc;t, citt&agrave;", "galerieën, naïve, coût, città"},
        Conversion{"SymbolsAndArrows", "&rarr; &hearts; &check; &NotEqualTilde; &frac58;", "→ ♥ ✓ ≂̸ ⅝"},
        Conversion{"LegacyWithoutSemicolon", "&amp &copy 2025 &eacutex", "& © 2025 éx"},
        Conversion{"LegacyInAttributeLikeTextStays", "<a href=\"?a=1&copy=2\">x&notit;</a>", "x¬it;"},
        Conversion{"UnknownStays", "<p>&bogus; &zzz &#;</p>", "&bogus; &zzz &#;"},
        Conversion{"InvalidNumericReference", "<p>&#0;&#xD800;&#1114112;</p>", "\uFFFD\uFFFD\uFFFD"},
        Conversion{"WindowsNumericReference", "&#150; &#x80;", "– €"},
        Conversion{"NonBreakingSpaceKept", "<p>a&nbsp;&nbsp;b</p>", "a\u00A0\u00A0b"}),
    [](const auto& info) { return std::string(info.param.name); });

// The text of every element, unknown and namespaced ones too; the markup of
// none; nothing of what a browser does not show.
INSTANTIATE_TEST_SUITE_P(
    Elements, HTMLToPlainTextTest,
    ::testing::Values(
        Conversion{"OutlookNamespaced",
                   "<p class=MsoNormal>Meet at <st1:place w:st=\"on\"><st1:City>Oslo</st1:City></st1:place>"
                   "<o:p></o:p></p><v:shape id=\"i1\"><v:imagedata src=\"x.png\"/></v:shape><p>Kari</p>",
                   "Meet at Oslo\nKari"},
        Conversion{"CustomElements", "<x-greeting mood=\"warm\">Hello <my-name>Sam</my-name></x-greeting>", "Hello Sam"},
        Conversion{"ImageMapAndPicture",
                   "<map name=m><area shape=rect href=x></map><picture><source srcset=a.webp><img src=a.png></picture>ok",
                   "ok"},
        Conversion{"MarqueeAndDetails", "<marquee>Sale!</marquee><details><summary>More</summary>Hidden text</details>",
                   "Sale!\nMore\nHidden text"},
        Conversion{"FormControls",
                   "<form><button type=submit>Send</button> <textarea rows=2>typed  text</textarea>"
                   "<input value=\"never\"><datalist><option>a</datalist></form>",
                   "Send\ntyped  text"},
        Conversion{"SVGMarkupLeftOut",
                   "<p>Logo:<svg viewBox=\"0 0 10 10\"><title>Acme</title><desc>a box</desc><style>rect{}</style>"
                   "<rect width=\"10\"/><text x=\"1\">ACME</text></svg></p>",
                   "Logo:ACME"},
        Conversion{"MathMLText", "<math><mi>x</mi><mo>=</mo><mn>2</mn></math>", "x=2"},
        Conversion{"HeadTitleScriptStyleTemplate",
                   "<html><head><title>T</title><style>p{color:red}</style></head><body><script>alert('<p>x</p>')"
                   "</script><p>Body</p><SCRIPT type=x>y</SCRIPT><template><p>later</p></template></body></html>",
                   "Body"},
        Conversion{"CommentsDropped", "<p>a<!-- hidden <p>b</p> -->c</p>", "ac"},
        Conversion{"ConditionalComments",
                   "<!--[if mso]><p>Outlook only</p><![endif]--><!--[if !mso]><!--><p>Everyone</p><!--<![endif]-->",
                   "Everyone"},
        Conversion{"UnterminatedScriptDropsTheRest", "<p>shown</p><script>never closed <p>hidden</p>", "shown"},
        Conversion{"IframeAndNoscript", "<iframe src=x>fallback</iframe><noscript>no js</noscript>seen", "seen"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HTMLToPlainText, InvalidUTF8BecomesReplacementCharacter) {
  EXPECT_EQ(htmlToPlainText("caf\xC3 ok"), "caf\uFFFD ok");
  EXPECT_EQ(htmlToPlainText("<p>\xFF\xFEx</p>"), "\uFFFD\uFFFDx");
  EXPECT_EQ(htmlToPlainText(std::string("a\0b", 3)), "ab");
}

// Markup that gumbo alone takes quadratic time over, or frees by deep
// recursion, is read in full all the same: every word of it reaches the text.
struct Hostile {
  const char* name;
  std::string open, close;
};
void PrintTo(const Hostile& h, std::ostream* os) { *os << h.name; }

class HostileHTMLTest : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileHTMLTest, EveryWordKept) {
  constexpr int kCount = 20000;
  std::string html;
  for (int i = 0; i < kCount; ++i) html += GetParam().open + "w" + std::to_string(i) + " ";
  for (int i = 0; i < kCount; ++i) html += GetParam().close;
  std::string text = htmlToPlainText(html);
  EXPECT_NE(text.find("w0"), std::string::npos);
  EXPECT_NE(text.find("w" + std::to_string(kCount - 1)), std::string::npos);
  std::size_t words = 0;
  for (std::size_t at = text.find('w'); at != std::string::npos; at = text.find('w', at + 1)) ++words;
  EXPECT_EQ(words, static_cast<std::size_t>(kCount));
}

INSTANTIATE_TEST_SUITE_P(
    Nesting, HostileHTMLTest,
    ::testing::Values(Hostile{"NestedDivs", "<div>", "</div>"}, Hostile{"NestedSpans", "<span>", "</span>"},
                      Hostile{"NestedLists", "<li><ul>", ""}, Hostile{"NestedBlockquotes", "<blockquote>", ""},
                      Hostile{"UnclosedFormattingInParagraphs", "<p><b id=x>", ""},
                      Hostile{"UnclosedLinks", "<a href=#>", ""}, Hostile{"SpanAroundDivEnd", "<span><div></span>", ""},
                      Hostile{"FormsAroundDivs", "<form><div></form>", ""},
                      Hostile{"EscapedScripts", "<div><script><!--</script>", ""},
                      Hostile{"ManyAttributes", "<div a b c d e f g h i j k l m n o p q r s t u v w x y z>", "</div>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HTMLToPlainText, ElementWithThousandsOfAttributes) {
  std::string html = "<p";
  for (int i = 0; i < 50000; ++i) html += " a" + std::to_string(i);
  EXPECT_EQ(htmlToPlainText(html + ">text</p>"), "text");
  EXPECT_EQ(htmlToPlainText("<body" + html.substr(2) + ">text"), "text");
  EXPECT_EQ(htmlToPlainText("<p>text</p>" + html), "text");  // never closed
  EXPECT_EQ(htmlToPlainText("<script><!--</script>text" + html), "text");
}

}  // namespace
