#include <gtest/gtest.h>

#include <ostream>

#include "mailkit/Charsets.hpp"

namespace {

struct CharsetCase {
  const char* name;
  std::string bytes;
  std::string charset;
  std::string text;
  std::string nextCharset = "";  // read next when the label reads the bytes poorly
};
void PrintTo(const CharsetCase& c, std::ostream* os) { *os << c.name; }

class CharsetTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetTest, ReadsTheTextInUTF8) {
  EXPECT_EQ(mailkit::textInUTF8(GetParam().bytes, GetParam().charset, GetParam().nextCharset), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, CharsetTest,
    ::testing::Values(
        CharsetCase{"DeclaredShiftJIS", "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd", "Shift_JIS", "こんにちは"},
        CharsetCase{"ShiftJISUnderAnotherName", "\x82\xb1\x82\xf1", "x-sjis", "こん"},
        CharsetCase{"KoreanOutlookLabel", "\x8c\x63\xb9\xe6", "ks_c_5601-1987", "똠방"},
        CharsetCase{"EUCKRLabelWithAWiderCharacter", "\x8c\x63", "euc-kr", "똠"},
        CharsetCase{"GB2312LabelWithAGBKCharacter", "\xe9\x46", "gb2312", "镕"},
        CharsetCase{"Latin1LabelWithAWindowsEuro", "120 \x80", "iso-8859-1", "120 €"},
        CharsetCase{"Windows1255", "\xf9\xec\xe5\xed", "windows-1255", "שלום"},
        CharsetCase{"UTF7", "Ol+AOE-", "utf-7", "Olá"},
        CharsetCase{"ISO2022JP", "\x1b$B$3$s\x1b(B", "ISO-2022-JP", "こん"},
        CharsetCase{"ISO2022JPWithEscapesSideBySide", "\x1b$B;qNA\x1b(B\x1b$BAwIU\x1b(B", "iso-2022-jp", "資料送付"},
        CharsetCase{"UTF16WithByteOrderMark", std::string("\xff\xfeh\0i\0", 6), "utf-16", "hi"},
        // No charset, or one that nothing reads: UTF-8 if valid, else windows-1252.
        CharsetCase{"NoCharsetUTF8", "Grüße", "", "Grüße"},
        CharsetCase{"NoCharsetOtherBytes", "Gr\xfc\xdf" "e \x93ok\x94", "", "Grüße “ok”"},
        CharsetCase{"UnknownCharset", "Gr\xfc\xdf" "e", "x-made-up-9", "Grüße"},
        // A declared charset that does not take the bytes is not trusted.
        CharsetCase{"ASCIILabelWithUTF8", "Grüße", "us-ascii", "Grüße"},
        CharsetCase{"UTF8LabelWithLatin1", "Gr\xfc\xdf" "e", "utf-8", "Grüße"},
        // A label that reads the bytes well is kept, a bad sequence read as
        // U+FFFD: poor is more than half of the characters outside ASCII
        // replaced. Half of them replaced is still well read.
        CharsetCase{"UTF8LabelWithOneCutCharacter", "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1 \xd0\xbc\xd0\xb8\xd1\x80",
                    "utf-8", "Приве\uFFFD мир"},
        CharsetCase{"UTF8LabelHalfReplaced", "caf\xc3\xa9 na\xefve", "utf-8", "café na\uFFFDve"},
        CharsetCase{"UTF8LabelMostlyReplaced", "caf\xc3\xa9 na\xefve \xfc" "ber", "utf-8", "cafÃ© naïve über"},
        CharsetCase{"UTF8LabelOnASCIIWithOneStrayByte", "Price: 10\x80", "utf-8", "Price: 10€"},
        // Only stray bytes count: a cut UTF-8 character (a lead byte and some
        // of its continuation bytes) is broken UTF-8, however short the text.
        CharsetCase{"UTF8LabelWithOnlyACutCharacter", "Price: 5 \xe2\x82 only", "utf-8", "Price: 5 \uFFFD only"},
        CharsetCase{"UTF8LabelWithMoreCutThanWhole", "It\xe2\x80\x99s fine \xe2\x80 and \xe2\x80 ok", "utf-8",
                    "It\u2019s fine \uFFFD and \uFFFD ok"},
        CharsetCase{"ShiftJISLabelWithOneBadByte", "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\xff", "Shift_JIS",
                    "こんにちは\uFFFD"},
        // Valid UTF-8 under the label of a multibyte charset, which reads it as
        // other characters with a few replacements among them, is UTF-8.
        CharsetCase{"UTF8UnderAShiftJISLabel", "会議は明日の十時からです。", "shift_jis", "会議は明日の十時からです。"},
        CharsetCase{"UTF8UnderAnEUCJPLabel", "会議は明日の十時からです。", "euc-jp", "会議は明日の十時からです。"},
        CharsetCase{"UTF8UnderAGB2312Label", "请准时参加明天的会议。", "gb2312", "请准时参加明天的会议。"},
        CharsetCase{"UTF8UnderAGB2312LabelAndAUTF8Meta", "<p>请准时参加明天的会议。</p>", "gb2312",
                    "<p>请准时参加明天的会议。</p>", "utf-8"},
        // Seven-bit text is valid UTF-8 too: it keeps a label that replaces
        // one of its sequences (0x2F7E is no JIS character).
        CharsetCase{"ISO2022JPWithOneUnassignedCharacter", "\x1b$B$3$s/~\x1b(B", "iso-2022-jp", "こん\uFFFD"},
        // When the label reads the bytes poorly, the part's own charset (an
        // HTML part's <meta>) is the next reading, before UTF-8 and windows-1252.
        CharsetCase{"WrongLabelThenTheNextCharset", "\x89\xef\x8b\x63\x82\xcc\x8c\x8f", "iso-2022-jp", "会議の件",
                    "shift_jis"},
        CharsetCase{"GoodLabelBeforeTheNextCharset", "Gr\xfc\xdf" "e", "iso-8859-1", "Grüße", "shift_jis"},
        CharsetCase{"PoorNextCharsetThenUTF8", "Grüße", "us-ascii", "Grüße", "iso-2022-jp"},
        // ISO-2022 escapes left standing are read as Japanese.
        CharsetCase{"UndeclaredISO2022JP", "\x1b$B$3$s\x1b(B", "", "こん"},
        CharsetCase{"ISO2022JPLabelledASCII", "\x1b$B$3$s\x1b(B", "us-ascii", "こん"},
        CharsetCase{"OtherEscapesKept", "\x1b[1mbold\x1b[0m", "", "\x1b[1mbold\x1b[0m"},
        CharsetCase{"NULsDropped", std::string("a\0b\0", 4), "utf-8", "ab"},
        CharsetCase{"UTF16NULsDropped", std::string("\0a\0\0", 4), "utf-16be", "a"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
