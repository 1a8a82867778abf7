#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "MailSamples.hpp"
#include "compose/QuotedMessage.hpp"
#include "foundation/OSLog.hpp"
#include "test_support/TempDir.hpp"

namespace {

using mailkit::MEComposeContext;
using mailkit::MEMessage;

const platform::OSLog logger("com.holdrin.quorbel.extension", "ComposeSessionHandler");

MEComposeContext contextWithRaw(std::optional<std::string> raw) {
  MEMessage original;
  original.rawData = std::move(raw);
  return MEComposeContext{std::make_shared<const MEMessage>(original)};
}

std::string quotedText(std::optional<std::string> raw) { return quorbel::quotedMessageText(contextWithRaw(std::move(raw)), logger); }

struct Case {
  const char* name;
  std::optional<std::string> raw;
  std::string expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class QuotedMessageTest : public ::testing::TestWithParam<Case> {};

TEST_P(QuotedMessageTest, Extracts) { EXPECT_EQ(quotedText(GetParam().raw), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Messages, QuotedMessageTest,
    ::testing::Values(
        // CR LF is one line break.
        Case{"CRLF", std::string("Subject: x\r\nFrom: a@b\r\n\r\nHello\r\nthere"), "Hello\nthere"},
        Case{"LF", std::string("Subject: x\nFrom: a@b\n\nHello\nthere"), "Hello\nthere"},
        // The header block ends at its first blank line, whatever its line break.
        Case{"HeaderBlockEndsAtTheFirstBlankLine", std::string("A: 1\n\nfirst\r\n\r\nsecond"), "first\n\nsecond"},
        Case{"HTMLBodyConverted", std::string("Content-Type: text/html\r\n\r\n<p>Hi &amp; bye</p><p>Dana</p>"),
             "Hi & bye\nDana"},
        // A plain text part is its text: markup, references and "> " lines stay.
        Case{"PlainBodyMentioningTags",
             std::string("Subject: x\r\n\r\nLine one<br>Line two\r\n\r\n<p>Para two</p>, AT&amp;T\r\n"),
             "Line one<br>Line two\n\n<p>Para two</p>, AT&amp;T\n"},
        Case{"PlainReplyKeepsQuotedHistory",
             std::string("Content-Type: text/plain; charset=us-ascii\r\n\r\nYes, Friday.\r\n\r\n"
                         "On Monday Dana wrote:\r\n> Can you come?\r\n> > Lunch first?\r\n"),
             "Yes, Friday.\n\nOn Monday Dana wrote:\n> Can you come?\n> > Lunch first?\n"},
        Case{"FlowedReply",
             std::string("Content-Type: text/plain; charset=utf-8; format=flowed\r\n\r\nYes, Friday \r\nworks.\r\n\r\n"
                         "> Can you come \r\n> on Friday?\r\n>> Lunch \r\n>> first?\r\n\r\n-- \r\nSam\r\n"),
             "Yes, Friday works.\n\n> Can you come on Friday?\n> > Lunch first?\n\n-- \nSam\n"},
        Case{"FlowedDelSpJapanese",
             std::string("Content-Type: text/plain; charset=ISO-2022-JP; format=flowed; delsp=yes\r\n"
                         "Content-Transfer-Encoding: 7bit\r\n\r\n\x1B$B$3$s$K$A$O\x1B(B \r\n\x1B$B$3$s$P$s$O\x1B(B\r\n"),
             "こんにちはこんばんは\n"},
        Case{"HTMLBlockquoteMarked",
             std::string("Content-Type: text/html; charset=utf-8\r\n\r\n<div>Yes, Friday.</div><div>On Monday Dana "
                         "wrote:</div><blockquote type=\"cite\"><div>Can you come?</div><blockquote>"
                         "<div>Lunch&nbsp;first?</div></blockquote></blockquote>"),
             "Yes, Friday.\nOn Monday Dana wrote:\n> Can you come?\n> > Lunch\u00A0first?"},
        Case{"PlainBodyWithAddressKept", std::string("A: 1\n\nFrom Dana <dana@example.org>\nline"),
             "From Dana <dana@example.org>\nline"},
        // Bytes that are not UTF-8 and name no charset are read as windows-1252.
        Case{"InvalidUTF8ReadAsWindows1252", std::string("A: 1\r\n\r\n\xC3\x28"), "\xC3\x83("},
        Case{"MissingRawData", std::nullopt, "[Original message rawData is nil or could not be decoded to UTF-8]"},
        Case{"EmptyBody", std::string("A: 1\r\n\r\n"), "[The original message has no text that could be read.]"},
        Case{"HeadersOnly", std::string("Subject: only\nX: y"), "[The original message has no text that could be read.]"},
        // Lines around the header block that readers step over.
        Case{"StrayLineAmongHeaderFields",
             std::string("Subject: x\nnot a field\nContent-Type: text/html\n\n<p>Hi &amp; bye</p>"), "Hi & bye"},
        Case{"MboxFromLine", std::string("From dana@example.org Mon Mar  3 10:00:00 2025\nSubject: x\n\nHello"),
             "Hello"},
        // MIME bodies are decoded; the HTML alternative wins.
        Case{"AlternativeQuotedPrintable", mail_samples::kAlternativeQuotedPrintable,
             "Hallo Sam,\nkönnen wir uns am Freitag um 10 Uhr treffen?\nJörg"},
        Case{"Base64Latin1", mail_samples::kBase64Latin1, "Olá Sam,\n\na reunião é às 15h na sala Açores.\n\nAna\n"},
        Case{"Base64UTF8", mail_samples::kBase64UTF8, "Hi Sam 👋\n\nThe café on Rue Saint-Éloi opens at 9.\n\nChloé\n"},
        Case{"NestedMixedNeverQuotesAttachments", mail_samples::kNestedMixedWithAttachments,
             "See the agenda attached. Can you present?"},
        Case{"MalformedBoundaryReadWithTheDelimitersBoundary", mail_samples::kMalformedBoundary, "Lunch at noon?"},
        // A gateway that dropped the Content-Type of the part holding the
        // alternatives as well: mended twice, no attachment quoted.
        Case{"MendedInsideAMend",
             std::string("Content-Type: multipart/mixed; boundary=declared\n\n--outer\n"
                         "Content-Transfer-Encoding: 7bit\n\n--inner\nContent-Type: text/plain\n\nSee the log.\n"
                         "--inner\nContent-Type: text/plain; name=build.log\n\nerror: 42\n--inner--\n--outer--\n"),
             "See the log."},
        Case{"UnknownCharsetUTF8Bytes", mail_samples::kUnknownCharsetUTF8Bytes, "Grüße\n"},
        Case{"UnknownCharsetOtherBytes", mail_samples::kUnknownCharsetOtherBytes, "Grüße\n"},
        Case{"AttachmentOnlySaysItHasNoText", mail_samples::kAttachmentOnly, "[The original message has no text that could be read.]"},
        Case{"EightBitLatin1PartDecoded",
             std::string("Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n"
                         "Content-Type: text/plain; charset=ISO-8859-1\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                         "Gr\xFC\xDF" "e\r\n--b--\r\n"),
             "Grüße"},
        Case{"EightBitBodyKeepsItsText", mail_samples::kPlainEightBit,
             "Grüße =?UTF-8?Q?stays?= as typed\n-- \nDana\n"},
        Case{"EightBitLatin1SinglePart", std::string("Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nGr\xFC\xDF" "e"),
             "Grüße"},
        // A part marked inline is quoted, file name or not.
        Case{"InlineTextFileQuoted",
             std::string("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nSee the log.\n"
                         "--b\nContent-Type: text/plain; name=build.log\nContent-Disposition: inline; filename=build.log\n\n"
                         "error: 42\n--b--\n"),
             "See the log.\n\nerror: 42"},
        // A named part without a disposition is a file.
        Case{"NamedTextPartWithoutDispositionNotQuoted",
             std::string("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nSee the log.\n"
                         "--b\nContent-Type: text/plain; name=build.log\n\nerror: 42\n--b--\n"),
             "See the log."},
        // Parts that hold no text at all, however deep.
        Case{"OnlyBlankTextSaysItHasNoText",
             std::string("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\n \r\n\t\n--b--\n"), "[The original message has no text that could be read.]"}),
    [](const auto& info) { return std::string(info.param.name); });

// Real-shaped messages, written here, each with the exact text it quotes.
// They are the mail reader's fuzz seeds as well.
struct CorpusCase {
  const char* file;  // in tests/fuzz/corpus/mail_message, without ".eml"
  std::string quoted;
};
void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.file; }

class QuotedCorpusTest : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(QuotedCorpusTest, QuotesExactlyTheTextOfTheMessage) {
  auto raw = test_support::readFile(std::string(MAIL_CORPUS) + "/" + GetParam().file + ".eml");
  ASSERT_FALSE(raw.empty()) << GetParam().file;
  EXPECT_EQ(quotedText(raw), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, QuotedCorpusTest,
    ::testing::Values(
        // Single parts in a legacy charset, each transfer encoding.
        CorpusCase{"shift_jis_single_part",
                   "サムさん\n\n来週の会議は水曜日の午後三時からです。\n資料は前日までにお送りします。\n\n山田\n"},
        CorpusCase{"ks_c_5601_base64_outlook",
                   "샘 씨께,\n\n다음 주 똠방각하 전시회 일정을 보내 드립니다.\n\n김민지 드림\n"},
        CorpusCase{"latin1_quoted_printable_outlook",
                   "Hallo Sam,\n\ndie Rechnung über 120 € ist bezahlt. Schöne Grüße nach Köln – bis Montag!\n\n"
                   "Jürgen Weiß\n"},
        CorpusCase{"windows_1255_mailing_list",
                   "שלום לכולם,\n\nהפגישה הבאה של הקבוצה תתקיים ביום שלישי.\n\nדנה\n"
                   "_______________________________________________\nרשימת דיוור: hug-list@example.org.il\n"},
        CorpusCase{"iso_2022_jp_seven_bit", "サムさん\n\n資料を添付しました。ご確認ください。\n\n佐藤\n"},
        CorpusCase{"undeclared_iso_2022_jp", "明日は休みます。\n田中\n"},
        CorpusCase{"utf7_single_part", "Olá Sam,\n\nA reunião é às 15h — até já!\n\nInês\n"},
        CorpusCase{"gb2312_label_gbk_text_binary", "山姆：\n\n镕基金的报告已经完成。\n\n王芳\n"},
        CorpusCase{"stray_eight_bit_header", "Hi Sam,\n\nThe agenda is final. Can you bring the projector?\n\nDana\n"},
        // Multipart bodies in legacy charsets.
        CorpusCase{"cyrillic_alternative_legacy_charsets",
                   "Добрый день, Сэм!\n\nПриглашаем вас выступить на конференции.\n\nОльга"},
        CorpusCase{"big5_alternative_split_subject", "Sam 您好，\n下週三下午兩點開會，請確認。\n陳小明"},
        CorpusCase{"charsetless_html_latin1_sibling", "¿Nos vemos mañana a las diez?"},
        CorpusCase{"charsetless_html_meta_charset", "Отчёт готов."},
        CorpusCase{"nul_in_part", "Your print job \"report.pdf\" has finished.\nPages: 12\n"},
        // Structure GMime cannot read as it stands.
        CorpusCase{"iphone_blank_first_line", "Here is the whiteboard from today.\n\nSent from my iPhone"},
        CorpusCase{"missing_header_separator", "Volume /srv is 93% full.\nFree space: 7 GB.\n"},
        CorpusCase{"missing_header_separator_multipart", "You have received a 2 page fax from +1 555 0100."},
        CorpusCase{"two_content_types", "The floor plan is attached."},
        CorpusCase{"mime_version_without_content_type", "Scanned document attached. Size: 1 page."},
        // Header fields and a file name full of encoded words that never end.
        CorpusCase{"unclosed_encoded_words_everywhere",
                   "You have won a prize. Reply with your bank details to claim it."},
        // Address fields that open thousands of groups inside one another.
        CorpusCase{"groups_inside_groups", "Only today: every order ships free.\n"},
        // Which text parts are quoted.
        CorpusCase{"banner_first_mixed",
                   "CAUTION: This email originated from outside the organization.\n\n"
                   "Hi Sam,\nThe monthly sales report is ready.\nSara"},
        CorpusCase{"empty_html_alternative",
                   "Dear Sam,\n\nPlease take our five-minute survey before Friday.\n\nCarol Adams"},
        CorpusCase{"two_inline_alternatives", "This is the north wall:\n\nCan we fix it before June?"},
        // How a plain part and an HTML part read.
        CorpusCase{"flowed_delsp_reply",
                   "Hei Sam, vi møtes i København på fredag, rett ved stasjonen.\n\nOn 3 March Sam wrote:\n"
                   "> Where shall we meet?\n> > Any plans?\n\n-- \nKari\n"},
        CorpusCase{"outlook_html_reply",
                   "Works for me – see you in Malmö.\n\u00A0\n1. Agenda\n2. Budget\nDay\tRoom\nFri\t4.01\n"
                   "From: Sam\nSent: Monday\n> Can we meet on Friday?\n> > Lunch first…"},
        // The returned message is quoted in place; the delivery status is not text.
        CorpusCase{"bounce_report",
                   "I'm sorry to have to inform you that your message could not\nbe delivered to one or more "
                   "recipients.\n\n<nobody@example.com>: host mx.example.com said: 550 5.1.1 User unknown\n\n"
                   "From: sam@example.org\nSubject: Hello\nTo: nobody@example.com\n\nThe returned message, quoted in place."},
        CorpusCase{"inline_named_text_part_shift_jis", "サムさん\n議事録です。\n\n一、予算は承認されました。"},
        // Transfer encodings that a multipart names for itself mean nothing.
        CorpusCase{"multipart_with_transfer_encoding", "Профиль обновлён."},
        CorpusCase{"delimiters_under_base64", "Документ отсканирован."},
        CorpusCase{"fields_after_extra_blank_line", "Café at ten on Friday?"},
        // Deeper than GMime builds a tree: the rest is read again.
        CorpusCase{"nested_105_levels", "The text at the bottom."},
        CorpusCase{"nested_1100_levels", "Level 499.\n\nLevel 999.\n\nThe text at the bottom."}),
    [](const auto& info) { return std::string(info.param.file); });

TEST(QuotedMessage, NoOriginalMessage) {
  EXPECT_EQ(quorbel::quotedMessageText(MEComposeContext{}, logger), "[No original message to quote.]");
}

TEST(QuotedMessage, WithoutBlankLineKeptUpTo5000Characters) {
  // Counted in characters: "é" is two bytes, a CR LF pair is one character.
  std::string exactly5000 = std::string(4998, 'a') + "\r\n" + "\xC3\xA9";
  EXPECT_EQ(quotedText(exactly5000), std::string(4998, 'a') + "\n" + "\xC3\xA9");
  EXPECT_EQ(quotedText(exactly5000 + "b"), "[Could not reliably isolate message body. Raw data too large.]");
}

TEST(QuotedMessage, RawMessageLoggedOnlyWithDebugLogging) {
  std::vector<std::string> logged;
  platform::oslog::setSink([&](const platform::OSLog&, platform::LogType, std::string_view line) {
    logged.emplace_back(line);
  });
  {
    test_support::ScopedEnv debug("DEBUG_LOGGING", "false");
    quotedText(std::string("A: 1\n\nprivate words"));
    EXPECT_TRUE(logged.empty());
  }
  {
    test_support::ScopedEnv debug("DEBUG_LOGGING", "true");
    quotedText(std::string("A: 1\n\nprivate words"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "Original Quoted HTML: A: 1\n\nprivate words");
  }
  platform::oslog::setSink(nullptr);
}

}  // namespace
