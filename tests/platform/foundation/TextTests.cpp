#include <gtest/gtest.h>

#include "foundation/Text.hpp"

namespace text = platform::text;

TEST(Text, CountsUserPerceivedCharacters) {
  struct Case {
    std::string input;
    std::size_t count;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {"a\r\nb", 3},                        // CR LF is one character
      {"\xC3\xA9", 1},                      // é precomposed
      {"e\xCC\x81", 1},                     // e + combining acute
      {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", 1},  // thumbs up with skin tone
      {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", 1},  // flag: two regional indicators
      {"ab\xFF", 3},                        // an invalid byte still counts once
  };
  for (const auto& c : cases) EXPECT_EQ(text::characterCount(c.input), c.count) << c.input;
}

TEST(Text, CutsAtCharacterBoundaries) {
  EXPECT_EQ(text::prefixCharacters("hello", 0), "");
  EXPECT_EQ(text::prefixCharacters("hello", 2), "he");
  EXPECT_EQ(text::prefixCharacters("hi", 10), "hi");
  // The combining mark stays with its letter.
  EXPECT_EQ(text::prefixCharacters("e\xCC\x81x", 1), "e\xCC\x81");
  EXPECT_EQ(text::truncated(std::string(100, 'a'), 100), std::string(100, 'a'));
  EXPECT_EQ(text::truncated(std::string(101, 'a'), 100), std::string(100, 'a') + "...");
}

TEST(Text, TrimsUnicodeWhiteSpaceAndNewlines) {
  EXPECT_EQ(text::trimWhitespaceAndNewlines("  a b \n\t"), "a b");
  EXPECT_EQ(text::trimWhitespaceAndNewlines("\xC2\xA0x\xE2\x80\xA8"), "x");  // no-break space, line separator
  EXPECT_EQ(text::trimWhitespaceAndNewlines("\xC2\x85x\r"), "x");            // next line
  EXPECT_EQ(text::trimWhitespaceAndNewlines(" \n "), "");
  EXPECT_EQ(text::trimWhitespaceAndNewlines("\x0B\x0C\x1Fx\x7F\x1C"), "\x1Fx\x7F\x1C");  // only some controls are white space
  EXPECT_TRUE(text::isBlank(" \n\t "));
  EXPECT_FALSE(text::isBlank(" . "));
}

TEST(Text, SplitsAtEveryNewlineCharacter) {
  using V = std::vector<std::string>;
  EXPECT_EQ(text::splitAtNewlines("a\nb"), (V{"a", "b"}));
  EXPECT_EQ(text::splitAtNewlines("a\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(text::splitAtNewlines("a\xE2\x80\xA9" "b"), (V{"a", "b"}));
  EXPECT_EQ(text::splitAtNewlines(""), (V{""}));
}

TEST(Text, SplitsIntoNonEmptyLines) {
  using V = std::vector<std::string>;
  EXPECT_EQ(text::splitIntoLines("What time?\r\n\n  Which room?  \n"), (V{"What time?", "  Which room?  "}));
  EXPECT_EQ(text::splitIntoLines("a\x0B" "b\x0C" "c\xC2\x85" "d"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(text::splitIntoLines("\n\n\r\n"), V{});
}

TEST(Text, LowercasesAndDescribes) {
  EXPECT_EQ(text::lowercased("TRUE"), "true");
  EXPECT_EQ(text::lowercased("\xC3\x84PFEL"), "\xC3\xA4pfel");
  EXPECT_EQ(text::quotedListDescription({"a", "say \"hi\"\n"}), R"(["a", "say \"hi\"\n"])");
  EXPECT_EQ(text::quotedListDescription({}), "[]");
  EXPECT_EQ(text::decimalDescription(30), "30.0");
  EXPECT_EQ(text::decimalDescription(0.5), "0.5");
  EXPECT_EQ(text::decimalDescription(-5), "-5.0");
}

TEST(Text, ValidatesAndRepairsUTF8) {
  EXPECT_TRUE(text::isValidUTF8("plain \xE2\x82\xAC"));
  for (std::string bad : {"\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(text::isValidUTF8(bad)) << "bytes " << bad.size();
  EXPECT_EQ(text::repairUTF8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
}

// ASCII is read eight bytes at a time: a bad or multi-byte sequence is found
// wherever it falls in or across those words, and near the end of the text.
TEST(Text, FindsSequencesAtEveryOffsetInAndAcrossASCIIRuns) {
  struct Case {
    std::string sequence, repaired;
    bool valid;
  };
  const Case cases[] = {{"\xFF", "\xEF\xBF\xBD", false},
                        {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD", false},
                        {"\xC3\xA9", "\xC3\xA9", true},
                        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", true}};
  for (const Case& c : cases)
    for (std::size_t before = 0; before < 17; ++before)
      for (std::size_t after : {0, 1, 7, 8, 9}) {
        const std::string text = std::string(before, 'a') + c.sequence + std::string(after, 'b');
        EXPECT_EQ(text::isValidUTF8(text), c.valid) << before << " + " << after;
        EXPECT_EQ(text::repairUTF8(text), std::string(before, 'a') + c.repaired + std::string(after, 'b'))
            << before << " + " << after;
      }
}

// What a terminal would act on is written as an escape: in a log line every
// line break too, on a terminal showing a whole text only what is not one.
TEST(Text, EscapesWhatATerminalWouldActOn) {
  struct Case {
    const char* name;
    std::string input, forLog, forTerminal;
  } cases[] = {
      {"plain text with a tab and emoji", "a\tb ✅ é", "a\tb ✅ é", "a\tb ✅ é"},
      {"line feed", "a\nb", "a\\nb", "a\nb"},
      {"CR LF", "a\r\nb", "a\\r\\nb", "a\r\nb"},
      {"lone CR", "a\rb", "a\\rb", "a\\rb"},
      {"NUL", std::string("a\0b", 3), "a\\0b", "a\\0b"},
      {"escape sequence", "\x1B[2J", "\\u{1B}[2J", "\\u{1B}[2J"},
      {"bell and delete", "\x07\x7F", "\\u{7}\\u{7F}", "\\u{7}\\u{7F}"},
      {"C1 control", "\u0085\u009B", "\\u{85}\\u{9B}", "\\u{85}\\u{9B}"},
      {"line and paragraph separators", "\u2028\u2029", "\\u{2028}\\u{2029}", "\\u{2028}\\u{2029}"},
      {"bidi overrides and isolates", "\u202Ex\u2066y\u2069\u200F\u061C", "\\u{202E}x\\u{2066}y\\u{2069}\\u{200F}\\u{61C}",
       "\\u{202E}x\\u{2066}y\\u{2069}\\u{200F}\\u{61C}"},
      {"joiner inside an emoji stays", "👩\u200D💻", "👩\u200D💻", "👩\u200D💻"},
      {"invalid byte", "a\x9B" "b", "a\uFFFDb", "a\uFFFDb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::escapedForLog(c.input), c.forLog) << c.name;
    EXPECT_EQ(text::escapedForTerminal(c.input), c.forTerminal) << c.name;
  }
}

// The bytes of a text that is not UTF-8 are written in octal, as a
// property-list text writes them; the rest is covered by the defaults command.
TEST(Text, PropertyListEscapesWriteBytesThatAreNotUTF8InOctal) {
  EXPECT_EQ(text::propertyListEscaped(std::string_view("a\x9B" "b\xFF\"\0", 6)), "a\\233b\\377\\\"\\U0000");
}
