#include <gtest/gtest.h>

#include <ostream>

#include "mailkit/EncodedWords.hpp"

namespace {

struct WordsCase {
  const char* name;
  std::string raw;
  std::string decoded;
};
void PrintTo(const WordsCase& c, std::ostream* os) { *os << c.name; }

class HeaderTextTest : public ::testing::TestWithParam<WordsCase> {};

TEST_P(HeaderTextTest, Decodes) { EXPECT_EQ(mailkit::decodedHeaderText(GetParam().raw), GetParam().decoded); }

INSTANTIATE_TEST_SUITE_P(
    Forms, HeaderTextTest,
    ::testing::Values(
        WordsCase{"PlainASCII", " Team offsite\n", "Team offsite"},
        // Gmail's long subjects: padded Base64 words side by side.
        WordsCase{"PaddedBase64Words", "=?UTF-8?B?SGVsbG8=?= =?UTF-8?B?IE1hcnM=?=", "Hello Mars"},
        WordsCase{"UnpaddedBase64Words", "=?UTF-8?B?SGVsbG8?= =?UTF-8?B?IE1hcnM?=", "Hello Mars"},
        WordsCase{"FoldedBase64Words", " =?UTF-8?B?SGVsbG8=?=\r\n =?UTF-8?B?IE1hcnM=?=\r\n", "Hello Mars"},
        WordsCase{"FoldedWithTab", "=?UTF-8?Q?Hello?=\n\t=?UTF-8?Q?_Mars?=", "Hello Mars"},
        WordsCase{"CyrillicInThreeWords",
                  "=?UTF-8?B?0J/RgNC40LPQu9Cw0YjQtdC90LjQtQ==?= =?UTF-8?B?INC90LAg0LrQvtC90YTQtdGA0LXQvQ==?= "
                  "=?UTF-8?B?0YbQuNGO?=",
                  "Приглашение на конференцию"},
        // "会" (E4 BC 9A) split across two words: joined as bytes first.
        WordsCase{"CharacterSplitAcrossWords", "=?UTF-8?B?5LyaO+S8?= =?UTF-8?B?muitsA==?=", "会;会議"},
        WordsCase{"CharacterSplitAcrossQWords", "=?utf-8?q?=E4=BC?= =?utf-8?q?=9A?=", "会"},
        WordsCase{"MixedCharsets", "=?ISO-8859-1?Q?Gr=FC=DFe?= =?KOI8-R?B?8NLJ18XU?=", "GrüßeПривет"},
        WordsCase{"WordsAmongText", "Re: [list] =?UTF-8?B?0J/RgNC40LLQtdGC?= again", "Re: [list] Привет again"},
        WordsCase{"WordGluedToText", "Fwd:=?UTF-8?Q?Caf=C3=A9?=s", "Fwd:Cafés"},
        WordsCase{"LanguageTag", "=?UTF-8*en?Q?Hello?=", "Hello"},
        WordsCase{"LowerCaseEncoding", "=?utf-8?b?SGk=?=", "Hi"},
        WordsCase{"UnknownCharsetValidUTF8", "=?x-made-up?Q?Gr=C3=BC=C3=9Fe?=", "Grüße"},
        WordsCase{"UnknownCharsetOtherBytes", "=?x-made-up?Q?Gr=FC=DFe?=", "Grüße"},
        WordsCase{"RawLatin1Byte", "Caf\xE9 Ops", "Café Ops"},
        WordsCase{"RawUTF8", "Café Ops", "Café Ops"},
        WordsCase{"ISO2022JPWords", "=?ISO-2022-JP?B?GyRCO3FOQRsoQg==?=\n =?ISO-2022-JP?B?GyRCQXdJVRsoQg==?=",
                  "資料送付"},
        WordsCase{"NULDropped", "=?UTF-8?Q?a=00b?=", "ab"},
        // A field is one line: a line break inside a word would end the
        // subject's line or the "wrote:" line early.
        WordsCase{"LineBreaksBecomeSpaces", "=?UTF-8?Q?Bob=0D=0A=3E_I_agree=0A?= =?UTF-8?B?DQ==?=end",
                  "Bob  > I agree  end"},
        // Not encoded words: kept as they stand.
        WordsCase{"BadBase64", "=?UTF-8?B?SGV*sbG8=?=", "=?UTF-8?B?SGV*sbG8=?="},
        WordsCase{"UnknownEncoding", "=?UTF-8?X?abc?=", "=?UTF-8?X?abc?="},
        WordsCase{"SpaceInsideAWord", "=?UTF-8?Q?a b?=", "=?UTF-8?Q?a b?="},
        WordsCase{"NeverClosed", "=?UTF-8?Q?abc", "=?UTF-8?Q?abc"},
        WordsCase{"EmptyCharset", "=??Q?abc?=", "=??Q?abc?="}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
