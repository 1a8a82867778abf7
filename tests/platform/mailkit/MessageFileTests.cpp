#include <gtest/gtest.h>

#include <ostream>

#include <pthread.h>

#include "MailSamples.hpp"
#include "mailkit/MessageFile.hpp"
#include "mailkit/ReplySession.hpp"
#include "foundation/Text.hpp"
#include "test_support/TempDir.hpp"

namespace {

using mailkit::MEEmailAddress;
using mailkit::MessageFile;

std::vector<std::string> raw(const std::vector<MEEmailAddress>& addresses) {
  std::vector<std::string> out;
  for (const auto& a : addresses) out.push_back(a.rawString);
  return out;
}

TEST(MessageFile, ReadsFoldedHeadersAndKeepsTheRawBytes) {
  std::string bytes =
      "From: Dana <dana@example.org>\r\nSubject: Team\r\n offsite\r\nTO: a@x.org,\r\n\t\"Doe, Jo\" <jo@x.org>\r\n"
      "Message-ID: <id@x>\r\n\r\nSubject: not a header\r\n";
  auto file = MessageFile::parse(bytes);
  EXPECT_EQ(file.header("subject"), "Team offsite");
  EXPECT_EQ(file.header("Message-Id"), "<id@x>");
  EXPECT_FALSE(file.header("Cc").has_value());
  auto message = file.message();
  EXPECT_EQ(message.rawData, bytes);
  EXPECT_EQ(message.subject, "Team offsite");
  EXPECT_EQ(raw(message.toAddresses), (std::vector<std::string>{"a@x.org", "\"Doe, Jo\" <jo@x.org>"}));
  EXPECT_EQ(file.bodyText(), "Subject: not a header\n");
}

TEST(MessageFile, EncodedWordsAreDecodedInSubjectsAndNames) {
  auto file = MessageFile::parse(mail_samples::kAlternativeQuotedPrintable);
  EXPECT_EQ(file.header("Subject"), "Grüße aus München");
  EXPECT_EQ(file.header("Content-Type"), "multipart/alternative; boundary=\"=_alt_42\"");
  auto reply = file.replyDraft();
  EXPECT_EQ(reply.subject, "Re: Grüße aus München");
  EXPECT_EQ(raw(reply.toAddresses), std::vector<std::string>{"Jörg Müller <joerg@example.de>"});
  EXPECT_EQ(MessageFile::parse(mail_samples::kBase64Latin1).message().subject, "Reunião");
}

TEST(MessageFile, GroupsOpenUpAndDecodedNamesKeepTheirCommas) {
  auto message = MessageFile::parse(mail_samples::kNestedMixedWithAttachments).message();
  EXPECT_EQ(raw(message.toAddresses), (std::vector<std::string>{"sam@example.org", "\"Lee, Kim\" <kim@example.org>"}));
  EXPECT_EQ(raw(message.ccAddresses), (std::vector<std::string>{"ops@example.org", "Renée <renee@example.org>"}));
  // An encoded word holding a comma stays one name.
  auto tricky = MessageFile::parse("From: =?UTF-8?Q?M=C3=BCller=2C_J=C3=B6rg?= <j@example.de>\r\n\r\nx").replyDraft();
  EXPECT_EQ(raw(tricky.toAddresses), std::vector<std::string>{"\"Müller, Jörg\" <j@example.de>"});
}

// Groups do not nest, but each colon of a hostile field opens one inside the
// last: followed by recursion, 100 KB of them overflow the stack.
TEST(MessageFile, GroupsInsideGroupsAreReadAsOne) {
  std::string colons;
  for (int i = 0; i < 50000; ++i) colons += "g:";
  const std::string field = colons + " Dana <d@x.org>";
  auto file = MessageFile::parse("From: " + field + ";\r\nTo: " + field + "\r\nCc: " + field + "\r\n\r\nHi");
  const std::vector<std::string> mailbox{"Dana <d@x.org>"};
  EXPECT_EQ(raw(file.replyDraft().toAddresses), mailbox);
  EXPECT_EQ(raw(file.message().toAddresses), mailbox);
  EXPECT_EQ(raw(file.message().ccAddresses), mailbox);
  EXPECT_EQ(file.bodyText(), "Hi");
}

TEST(MessageFile, ReplyGoesToReplyToOrFromWithReSubject) {
  auto withReplyTo = MessageFile::parse("From: a@x.org\nReply-To: list@x.org\nSubject: Hi\n\nbody");
  EXPECT_EQ(raw(withReplyTo.replyDraft().toAddresses), std::vector<std::string>{"list@x.org"});
  EXPECT_EQ(withReplyTo.replyDraft().subject, "Re: Hi");
  EXPECT_FALSE(withReplyTo.replyDraft().rawData.has_value());
  auto plain = MessageFile::parse("From: Dana <d@x.org>\nSubject: RE: Hi\n\nbody");
  EXPECT_EQ(raw(plain.replyDraft().toAddresses), std::vector<std::string>{"Dana <d@x.org>"});
  EXPECT_EQ(plain.replyDraft().subject, "RE: Hi");
}

// Real-shaped messages (the mail reader's fuzz seeds): subjects and names
// in every form mail programs write them.
struct HeadersCase {
  const char* file;  // in tests/fuzz/corpus/mail_message, without ".eml"
  std::string subject;
  std::string sender;
};
void PrintTo(const HeadersCase& c, std::ostream* os) { *os << c.file; }

class CorpusHeadersTest : public ::testing::TestWithParam<HeadersCase> {};

TEST_P(CorpusHeadersTest, DecodesSubjectAndSender) {
  auto file = MessageFile::read(std::string(MAIL_CORPUS) + "/" + GetParam().file + ".eml");
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->header("Subject"), GetParam().subject);
  EXPECT_EQ(raw(file->replyDraft().toAddresses), std::vector<std::string>{GetParam().sender});
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusHeadersTest,
    ::testing::Values(
        HeadersCase{"cyrillic_alternative_legacy_charsets", "Приглашение на конференцию в Новосибирске",
                    "Ольга Смирнова <olga@example.ru>"},
        HeadersCase{"banner_first_mixed", "تقرير المبيعات الشهري", "سارة أحمد <sara@example.ae>"},
        HeadersCase{"big5_alternative_split_subject", "下週會議時間確認", "陳小明 <ming@example.tw>"},
        HeadersCase{"empty_html_alternative", "Your opinion counts",
                    "\"MySurvey.com & Carol Adams\" <carol@example.com>"},
        HeadersCase{"iso_2022_jp_seven_bit", "資料送付のご案内", "佐藤 花子 <hanako@example.jp>"},
        HeadersCase{"shift_jis_single_part", "会議の件", "山田 太郎 <taro@example.jp>"},
        HeadersCase{"ks_c_5601_base64_outlook", "전시회 일정", "김민지 <minji@example.kr>"},
        HeadersCase{"latin1_quoted_printable_outlook", "Rechnung über 120 €", "Jürgen Weiß <juergen@example.de>"},
        HeadersCase{"windows_1255_mailing_list", "[hug] הפגישה הבאה", "דנה לוי <dana@example.org.il>"},
        HeadersCase{"utf7_single_part", "Reunião", "Inês <ines@example.pt>"},
        HeadersCase{"gb2312_label_gbk_text_binary", "报告", "王芳 <fang@example.cn>"},
        HeadersCase{"iphone_blank_first_line", "Whiteboard", "Kim Lee <kim@example.org>"},
        HeadersCase{"stray_eight_bit_header", "Offsite agenda", "Dana Ito <dana@example.org>"},
        HeadersCase{"raw_eight_bit_big5_headers", "下週會議時間", "陳小明 <ming@example.tw>"}),
    [](const auto& info) { return std::string(info.param.file); });

TEST(MessageFile, StrayEightBitByteInAHeaderIsReadAsWindows1252) {
  auto file = MessageFile::read(std::string(MAIL_CORPUS) + "/stray_eight_bit_header.eml");
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->header("Organization"), "Café Ops");
  EXPECT_EQ(file->bodyText(), "Hi Sam,\n\nThe agenda is final. Can you bring the projector?\n\nDana\n");
}

TEST(MessageFile, MissingFileIsAnError) {
  auto file = MessageFile::read("/nonexistent/message.eml");
  ASSERT_FALSE(file.has_value());
  EXPECT_EQ(file.error(), "Cannot read the message file /nonexistent/message.eml: No such file or directory");
}

TEST(MessageFile, NoBlankLineMeansAllHeaders) {
  auto file = MessageFile::parse("Subject: only\nX: y");
  EXPECT_EQ(file.header("X"), "y");
  EXPECT_EQ(file.bodyText(), "");
}

TEST(MessageFile, WithoutHeaderFieldsEverythingIsBody) {
  auto file = MessageFile::parse("just a note\nwith two lines\xff");
  EXPECT_FALSE(file.header("Subject").has_value());
  EXPECT_FALSE(file.hasHeaderFields());
  EXPECT_EQ(file.bodyText(), "just a note\nwith two linesÿ");  // not UTF-8: read as windows-1252
  EXPECT_TRUE(file.message().toAddresses.empty());
}

// --- MIME structure ------------------------------------------------------------

// The body's parts in one line: "plain", "html", "alternatives(...)" and
// "sequence(...)".
std::string shape(const mailkit::BodyPart& part) {
  using Kind = mailkit::BodyPart::Kind;
  if (part.kind == Kind::plainText) return "plain";
  if (part.kind == Kind::htmlText) return "html";
  if (part.kind == Kind::message) return "message(" + (part.parts.empty() ? "" : shape(part.parts.front())) + ")";
  std::string inner;
  for (const auto& p : part.parts) inner += (inner.empty() ? "" : ", ") + shape(p);
  return (part.kind == Kind::alternatives ? "alternatives(" : "sequence(") + inner + ")";
}

struct PartsCase {
  const char* name;
  const std::string* message;
  std::string shape;
};
void PrintTo(const PartsCase& c, std::ostream* os) { *os << c.name; }

class MessagePartsTest : public ::testing::TestWithParam<PartsCase> {};

TEST_P(MessagePartsTest, ReadsTheTextPartsAndLeavesOutTheRest) {
  EXPECT_EQ(shape(MessageFile::parse(*GetParam().message).body()), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MessagePartsTest,
    ::testing::Values(PartsCase{"AlternativeQuotedPrintable", &mail_samples::kAlternativeQuotedPrintable,
                                "alternatives(plain, html)"},
                      PartsCase{"Base64Latin1", &mail_samples::kBase64Latin1, "plain"},
                      PartsCase{"NestedMixedSkipsAttachments", &mail_samples::kNestedMixedWithAttachments,
                                "sequence(alternatives(plain, html))"},
                      PartsCase{"MalformedBoundaryReadWithTheDelimitersBoundary", &mail_samples::kMalformedBoundary,
                                "alternatives(plain)"},
                      PartsCase{"Base64HTML", &mail_samples::kBase64HTML, "html"},
                      PartsCase{"AttachmentOnly", &mail_samples::kAttachmentOnly, "sequence()"}),
    [](const auto& info) { return std::string(info.param.name); });

int nesting(const mailkit::BodyPart& part) {
  int deepest = 0;
  for (const auto& inner : part.parts) deepest = std::max(deepest, nesting(inner));
  return deepest + 1;
}

// Mixed and alternative parts by turns, far deeper than GMime builds a tree
// (1024 levels): the text at the bottom is reached, and the parts handed on
// nest no deeper than real mail does, one kind inside another joined.
TEST(MessageFile, TextIsReachedAtAnyDepthInShallowParts) {
  for (int levels : {33, 3000}) {
    std::string message = "Content-Type: multipart/mixed; boundary=\"d0\"\r\n\r\n";
    for (int i = 1; i < levels; ++i)
      message += "--d" + std::to_string(i - 1) + "\r\nContent-Type: multipart/" + (i % 2 ? "alternative" : "mixed") +
                 "; boundary=\"d" + std::to_string(i) + "\"\r\n\r\n";
    message += "--d" + std::to_string(levels - 1) + "\r\nContent-Type: text/plain\r\n\r\nDeep text\r\n";
    for (int i = levels - 1; i >= 0; --i) message += "--d" + std::to_string(i) + "--\r\n";
    auto file = MessageFile::parse(message);
    EXPECT_EQ(file.bodyText(), "Deep text") << levels;
    EXPECT_LE(nesting(file.body()), 34) << levels;
  }
  auto sameKinds = MessageFile::parse(
      "Content-Type: multipart/mixed; boundary=o\n\n--o\nContent-Type: multipart/related; boundary=i\n\n--i\n"
      "Content-Type: text/plain\n\nOne\n--i--\n--o\nContent-Type: text/html\n\n<p>Two</p>\n--o--\n");
  EXPECT_EQ(shape(sameKinds.body()), "sequence(plain, html)");
}

TEST(MessageFile, BodyTextPrefersThePlainPart) {
  EXPECT_EQ(MessageFile::parse(mail_samples::kNestedMixedWithAttachments).bodyText(),
            "See the agenda attached. Can you present?");
  // An HTML-only message gives what a browser shows of it.
  EXPECT_EQ(MessageFile::parse(mail_samples::kBase64HTML).bodyText(), "Hola, ¿vienes el viernes?");
  EXPECT_EQ(MessageFile::parse(mail_samples::kAttachmentOnly).bodyText(), "");
  // A blank plain alternative gives way to the HTML one.
  EXPECT_EQ(MessageFile::parse("Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n"
                               "\r\n \r\n\r\n--b\r\nContent-Type: text/html\r\n\r\n<p>Only &eacute;</p>\r\n--b--\r\n")
                .bodyText(),
            "Only é");
  // A flowed plain part is read with its Content-Type's parameters.
  EXPECT_EQ(MessageFile::parse("Content-Type: text/plain; charset=utf-8; Format=\"Flowed\"; DelSp=Yes\r\n\r\n"
                               "Gr\xC3\xBC \r\n\xC3\x9F" "e  \r\naus K\xC3\xB6ln\r\n")
                .bodyText(),
            "Grüße aus Köln\n");
  // Every inline text part of a mixed message, as the assistant's quote has them.
  EXPECT_EQ(MessageFile::parse("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n"
                               "\r\nFirst part\r\n--b\r\nContent-Type: text/plain\r\nContent-Disposition: inline; "
                               "filename=notes.txt\r\n\r\nThe notes\r\n--b--\r\n")
                .bodyText(),
            "First part\n\nThe notes");
}

// --- What the quote holds ----------------------------------------------------

// What the assistant quotes of a message: of alternatives the HTML.
std::string quote(const std::string& message) {
  return mailkit::readableBodyText(MessageFile::parse(message).body(), mailkit::BodyPart::Kind::htmlText);
}

struct QuoteCase {
  const char* name;
  std::string message;
  std::string quote;
};
void PrintTo(const QuoteCase& c, std::ostream* os) { *os << c.name; }

class QuoteTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteTest, QuotesWhatAReaderShows) { EXPECT_EQ(quote(GetParam().message), GetParam().quote); }

using mail_samples::crlf;

// A message inside a message, headers given, its body below them.
std::string embedded(std::string_view disposition, std::string_view headersAndBody) {
  return crlf("Content-Type: multipart/mixed; boundary=\"fwd\"\n\n--fwd\nContent-Type: text/plain\n\nLook at this.\n"
              "--fwd\nContent-Type: message/rfc822") +
         std::string(disposition) + "\r\n\r\n" + crlf(headersAndBody) + "\r\n--fwd--\r\n";
}

const std::string kForwarded = R"(Received: from mx.example.de by mx.example.org; Tue, 4 Mar 2025 10:12:05 +0100
Return-Path: <joerg@example.de>
From: =?ISO-8859-1?Q?J=F6rg_M=FCller?= <joerg@example.de>
Date: Tue, 4 Mar 2025 10:12:00 +0100
Subject: =?UTF-8?Q?Saal_f=C3=BCr_Freitag?=
To: Sam Lee <sam@example.org>, kim@example.org
Message-ID: <venue@example.de>
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="inner"

--inner
Content-Type: multipart/alternative; boundary="alt"

--alt
Content-Type: text/plain; charset=iso-8859-1

Der Saal ist gebucht.
--alt
Content-Type: text/html; charset=iso-8859-1
Content-Transfer-Encoding: quoted-printable

<p>Der Saal f=FCr Freitag ist <b>gebucht</b>.</p><blockquote>Gibt es einen Beamer?</blockquote>
--alt--
--inner
Content-Type: application/pdf; name="plan.pdf"
Content-Disposition: attachment; filename="plan.pdf"
Content-Transfer-Encoding: base64

JVBERi0xLjQK
--inner--)";

const std::string kForwardedQuote =
    "Look at this.\n\nFrom: Jörg Müller <joerg@example.de>\nDate: Tue, 4 Mar 2025 10:12:00 +0100\n"
    "Subject: Saal für Freitag\nTo: Sam Lee <sam@example.org>, kim@example.org\n\n"
    "Der Saal für Freitag ist gebucht.\n> Gibt es einen Beamer?";

// Forwarded, returned and digested messages are quoted in place under a
// short header block; attached ones stay out.
INSTANTIATE_TEST_SUITE_P(
    Messages, QuoteTest,
    ::testing::Values(
        QuoteCase{"InlineForward", embedded("\r\nContent-Disposition: inline", kForwarded), kForwardedQuote},
        QuoteCase{"ForwardWithoutDisposition", embedded("", kForwarded), kForwardedQuote},
        QuoteCase{"AttachedMessageStaysOut", embedded("\r\nContent-Disposition: attachment", kForwarded),
                  "Look at this."},
        QuoteCase{"NamedMessageStaysOut", embedded("; name=\"venue.eml\"", kForwarded), "Look at this."},
        QuoteCase{"DigestPartsAreMessages",
                  crlf("Content-Type: multipart/digest; boundary=\"dg\"\n\n--dg\n\nFrom: a@x.org\nSubject: One\n\n"
                       "First message.\n--dg\n\nFrom: b@x.org\nSubject: Two\nContent-Type: text/plain; charset=utf-8\n\n"
                       "> Second\nmessage.\n--dg--\n"),
                  "From: a@x.org\nSubject: One\n\nFirst message.\n\nFrom: b@x.org\nSubject: Two\n\n> Second\nmessage."},
        QuoteCase{"ForwardedMessageWithoutText",
                  embedded("", "From: a@x.org\nSubject: Scan\nContent-Type: application/pdf\n\nJVBERi0xLjQK"),
                  "Look at this.\n\nFrom: a@x.org\nSubject: Scan"},
        // A part that names two Content-Types is read with the one a reader
        // takes: the first, unless only another fits the body.
        QuoteCase{"TwoContentTypesInAPart",
                  crlf("Content-Type: multipart/mixed; boundary=\"o\"\n\n--o\n"
                       "Content-Type: multipart/alternative; boundary=\"b1\"\nContent-Type: text/plain\n\n"
                       "Hello in plain\n--b1\nContent-Type: text/html\n\n<p>Hello in <b>HTML</b></p>\n--b1--\n--o--\n"),
                  "Hello in HTML"},
        QuoteCase{"TwoContentTypesInTheMessage",
                  crlf("Content-Type: multipart/alternative; boundary=\"b1\"\nContent-Type: text/plain\n\n"
                       "Hello in plain\n--b1\nContent-Type: text/html\n\n<p>Hello in <b>HTML</b></p>\n--b1--\n"),
                  "Hello in HTML"},
        QuoteCase{"TwoContentTypesAndNoDelimiters",
                  crlf("Content-Type: multipart/alternative; boundary=\"b1\"\nContent-Type: text/plain\n\n"
                       "Hello in plain\nContent-Type: text/html\n\n<p>Hello in <b>HTML</b></p>\n--b1--\n"),
                  "Hello in plain\n\nHello in HTML"},
        // Where no delimiter matches, the readable lines: of a forwarded
        // message's header block only its From, Date, Subject and To.
        QuoteCase{"BrokenMultipartHoldingAForward",
                  crlf("Content-Type: multipart/mixed; boundary=\"never\"\n\nContent-Type: message/rfc822\n\n"
                       "Received: from relay.example.net by mx.example.org\nDKIM-Signature: v=1; d=example.net;\n"
                       " b=c2lnbmF0dXJl\nFrom: Kim <kim@example.net>\nSubject: Plans\n\nThe plans are ready.\n"),
                  "From: Kim <kim@example.net>\nSubject: Plans\n\nThe plans are ready."},
        QuoteCase{"BrokenMultipartHoldingAMessageWithMIMEFields",
                  crlf("Content-Type: multipart/mixed; boundary=\"never\"\n\nSee below.\n\n"
                       "Return-Path: <kim@example.net>\nFrom: Kim <kim@example.net>\nMIME-Version: 1.0\n"
                       "Content-Type: text/html\n\n<p>The <b>plans</b></p>\n"),
                  "See below.\n\nFrom: Kim <kim@example.net>\n\nThe plans"},
        QuoteCase{"TextPlainFirstThenTheMultipartThatFits",
                  crlf("Content-Type: multipart/mixed; boundary=\"o\"\n\n--o\nContent-Type: text/plain\n"
                       "Content-Type: multipart/alternative; boundary=\"b1\"\n\n--b1\nContent-Type: text/plain\n\n"
                       "Hello in plain\n--b1\nContent-Type: text/html\n\n<p>Hello in <b>HTML</b></p>\n--b1--\n--o--\n"),
                  "Hello in HTML"}),
    [](const auto& info) { return std::string(info.param.name); });

// A forward of a forward: each message under its own header block, its
// history kept.
TEST(MessageFile, ForwardOfAForwardIsQuotedInPlace) {
  const std::string message = crlf(R"(From: Kim <kim@example.org>
To: Sam <sam@example.org>
Subject: Fwd: Fwd: Lunch
Content-Type: message/rfc822

From: Lee <lee@example.org>
Date: Wed, 5 Mar 2025 09:00:00 +0000
Subject: Fwd: Lunch
To: Kim <kim@example.org>
Content-Type: multipart/mixed; boundary="f2"

--f2
Content-Type: text/plain

Kim, see Dana's note.
--f2
Content-Type: message/rfc822

Received: from mx.example.org by mx.example.org
From: Dana <dana@example.org>
Date: Tue, 4 Mar 2025 18:30:00 +0000
Subject: Lunch
To: Lee <lee@example.org>

Lunch at noon?
> Friday?
--f2--
)");
  EXPECT_EQ(quote(message),
            "From: Lee <lee@example.org>\nDate: Wed, 5 Mar 2025 09:00:00 +0000\nSubject: Fwd: Lunch\n"
            "To: Kim <kim@example.org>\n\nKim, see Dana's note.\n\nFrom: Dana <dana@example.org>\n"
            "Date: Tue, 4 Mar 2025 18:30:00 +0000\nSubject: Lunch\nTo: Lee <lee@example.org>\n\nLunch at noon?\n> Friday?");
  EXPECT_TRUE(mailkit::quotedOriginal(MessageFile::parse(message))
                  .starts_with("\n\nKim <kim@example.org> wrote:\n> From: Lee <lee@example.org>\n> Date: "));
}

// Messages inside messages, deeper than real mail nests them: the text at
// the bottom is reached and the parts stay shallow; a forwarded message's
// address fields are read as the message's own are, groups inside groups
// included.
TEST(MessageFile, ForwardedMessagesNestShallowAndAreReadSafely) {
  std::string message;
  for (int i = 0; i < 40; ++i) message += "From: l" + std::to_string(i) + "@x.org\r\nContent-Type: message/rfc822\r\n\r\n";
  message += "From: bottom@x.org\r\n\r\nDeep text\r\n";
  auto file = MessageFile::parse(message);
  EXPECT_TRUE(file.bodyText().ends_with("From: bottom@x.org\n\nDeep text")) << file.bodyText();
  EXPECT_LE(nesting(file.body()), 34);

  std::string colons;
  for (int i = 0; i < 50000; ++i) colons += "g:";
  EXPECT_EQ(quote(embedded("", "From: " + colons + " Dana <d@x.org>;\nTo: " + colons + "\nSubject: Inner\n\nInner text")),
            "Look at this.\n\nFrom: Dana <d@x.org>\nSubject: Inner\n\nInner text");
}

// Multiparts nested in one another, each naming two Content-Types above a
// large text: fields that repeat what GMime read spend nothing of what may
// be read again, so a part deep inside that needs reading again still is;
// and where the reading again must stop, the rest is quoted as its
// readable lines, never with its MIME fields and delimiters.
TEST(MessageFile, PartsWithTwoContentTypesAreReadAgainOnlyAsNeeded) {
  auto nested = [](int levels, const std::string& secondType, std::size_t fillerSize, const std::string& bottom) {
    std::string filler;
    while (filler.size() < fillerSize) filler += "All work and no play makes a long line of text.\r\n";
    std::string message = "Content-Type: multipart/mixed; boundary=\"b0\"\r\n\r\n";
    for (int i = 1; i < levels; ++i) {
      const std::string type = "multipart/mixed; boundary=\"b" + std::to_string(i) + "\"";
      message += "--b" + std::to_string(i - 1) + "\r\nContent-Type: " + type + "\r\nContent-Type: " +
                 (secondType.empty() ? type : secondType) + "\r\n\r\n";
    }
    message += "--b" + std::to_string(levels - 1) + "\r\nContent-Type: text/plain\r\n\r\n" + filler + bottom;
    for (int i = levels - 1; i >= 0; --i) message += "\r\n--b" + std::to_string(i) + "--";
    return message + "\r\n";
  };
  const std::string sameTypeTwice = quote(nested(
      40, "", 64 << 10,
      "\r\n--b39\r\nContent-Type: multipart/alternative; boundary=\"a\"\r\nContent-Type: text/plain\r\n\r\n"
      "Hello in plain\r\n--a\r\nContent-Type: text/html\r\n\r\n<p>Hello in <b>HTML</b></p>\r\n--a--"));
  EXPECT_TRUE(sameTypeTwice.ends_with("\n\nHello in HTML")) << sameTypeTwice.substr(sameTypeTwice.size() - 200);
  const std::string plainTextSecond =
      platform::text::trimWhitespaceAndNewlines(quote(nested(10, "text/plain", 600 << 10, "Deep text")));
  EXPECT_TRUE(plainTextSecond.ends_with("\nDeep text")) << plainTextSecond.substr(plainTextSecond.size() - 200);
  for (const std::string& text : {sameTypeTwice, plainTextSecond}) {
    EXPECT_EQ(text.find("Content-Type"), std::string::npos);
    EXPECT_EQ(text.find("--b"), std::string::npos);
  }
}

// Messages inside messages are read without recursion: a chain of them as
// deep as may be read is read on a thread with a small stack.
TEST(MessageFile, MessagesInsideMessagesAreReadWithoutRecursion) {
  std::string message;
  for (int i = 0; i < 240; ++i) message += "Content-Type: message/rfc822\r\n\r\n";
  message += "From: bottom@x.org\r\n\r\nDeep text\r\n";
  auto read = [](void* bytes) -> void* {
    EXPECT_TRUE(MessageFile::parse(*static_cast<std::string*>(bytes)).bodyText().ends_with("Deep text"));
    return nullptr;
  };
  pthread_attr_t smallStack;
  pthread_attr_init(&smallStack);
  pthread_attr_setstacksize(&smallStack, 128 << 10);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &smallStack, read, &message), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&smallStack);
}

// A forward of a forward ... of a message with a large attachment (1 MiB):
// every message is quoted under its header block, the original too, as deep
// as reading each message whole, attachment and all, stays within a few
// times the mail; deeper, a notice stands where the rest is left out.
TEST(MessageFile, ForwardsOfALargeMessageAreQuotedOrSaidToBeLeftOut) {
  std::string original = "From: Alice <alice@example.com>\r\nSubject: Contract\r\nContent-Type: multipart/mixed; "
                         "boundary=\"o\"\r\n\r\n--o\r\nContent-Type: text/plain\r\n\r\nPlease sign.\r\n--o\r\n"
                         "Content-Type: application/pdf\r\nContent-Disposition: attachment; filename=c.pdf\r\n"
                         "Content-Transfer-Encoding: base64\r\n\r\n";
  for (int i = 0; i < (1 << 20) / 78; ++i) original += std::string(76, 'Q') + "\r\n";
  original += "--o--\r\n";
  for (int forwards : {3, 20}) {
    std::string message = original;
    std::string quoted = "From: Alice <alice@example.com>\nSubject: Contract\n\nPlease sign.";
    for (int i = forwards; i > 0; --i) {
      const std::string b = "f" + std::to_string(i), note = "Note " + std::to_string(i) + ".";
      message = "From: F" + std::to_string(i) + " <f@example.org>\r\nSubject: Fwd\r\nContent-Type: multipart/mixed; boundary=\"" +
                b + "\"\r\n\r\n--" + b + "\r\nContent-Type: text/plain\r\n\r\n" + note + "\r\n--" + b +
                "\r\nContent-Type: message/rfc822\r\n\r\n" + message + "\r\n--" + b + "--\r\n";
      quoted = (i > 1 ? "From: F" + std::to_string(i) + " <f@example.org>\nSubject: Fwd\n\n" : "") + note + "\n\n" + quoted;
    }
    const std::string text = quote(message);
    if (forwards == 3) {
      EXPECT_EQ(text, quoted);
    } else {
      EXPECT_TRUE(text.starts_with(quoted.substr(0, quoted.find("Note 8.")))) << text.substr(0, 400);
      EXPECT_TRUE(text.ends_with("\n\n[A forwarded message is left out here: the mail is too large to read all of it.]"))
          << text.substr(text.size() - std::min<std::size_t>(text.size(), 400));
    }
  }
}

// Raw 8-bit header fields, without encoded words: UTF-8 when they are valid
// UTF-8, else in the charset of the message's text part (an HTML part's
// <meta> charset where its label is missing or wrong), else windows-1252.
struct RawHeaderCase {
  const char* name;
  std::string textCharset;  // of the message's text part, or none
  std::string subject;      // raw bytes
  std::string fromName;     // raw bytes
  std::string replySubject;
  std::string wroteLine;
  std::string metaCharset = "";  // if given, the text part is HTML naming it, the subject its text
};
void PrintTo(const RawHeaderCase& c, std::ostream* os) { *os << c.name; }

class RawHeaderTest : public ::testing::TestWithParam<RawHeaderCase> {};

TEST_P(RawHeaderTest, ReadsTheFieldsAsTheMessageIsWritten) {
  const auto& c = GetParam();
  std::string type = c.textCharset.empty() ? "" : "Content-Type: text/plain; charset=" + c.textCharset + "\r\n";
  std::string body = "Hi\r\n";
  if (!c.metaCharset.empty()) {
    type = "Content-Type: text/html" + (c.textCharset.empty() ? "" : "; charset=" + c.textCharset) + "\r\n";
    body = "<meta charset=\"" + c.metaCharset + "\"><p>" + c.subject + "</p>\r\n";
  }
  auto file = MessageFile::parse("From: " + c.fromName + " <f@example.org>\r\nSubject: " + c.subject + "\r\n" + type +
                                 "\r\n" + body);
  EXPECT_EQ(file.replyDraft().subject, c.replySubject);
  EXPECT_EQ(mailkit::quotedOriginal(file).substr(0, mailkit::quotedOriginal(file).find('\n', 2) + 1), c.wroteLine);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RawHeaderTest,
    ::testing::Values(
        RawHeaderCase{"Big5", "big5", "\xa4\x55\xb6\x67\xb7\x7c\xc4\xb3", "\xb3\xaf\xa4\x70\xa9\xfa", "Re: 下週會議",
                      "\n\n陳小明 <f@example.org> wrote:\n"},
        RawHeaderCase{"ShiftJIS", "shift_jis", "\x89\xef\x8b\x63\x82\xcc\x8c\x8f", "\x8e\x52\x93\x63",
                      "Re: 会議の件", "\n\n山田 <f@example.org> wrote:\n"},
        RawHeaderCase{"KOI8R", "koi8-r", "\xf0\xd2\xc9\xd7\xc5\xd4", "\xef\xcc\xd8\xc7\xc1", "Re: Привет",
                      "\n\nОльга <f@example.org> wrote:\n"},
        RawHeaderCase{"UTF8WhateverThePartSays", "koi8-r", "Grüße", "Jörg", "Re: Grüße", "\n\nJörg <f@example.org> wrote:\n"},
        RawHeaderCase{"NoTextCharsetReadsWindows1252", "", "Caf\xe9", "Ren\xe9" "e", "Re: Café",
                      "\n\nRenée <f@example.org> wrote:\n"},
        RawHeaderCase{"KOI8RInTheMetaOfAnUnlabelledHTMLPart", "", "\xf0\xd2\xc9\xd7\xc5\xd4",
                      "\xef\xcc\xd8\xc7\xc1", "Re: Привет", "\n\nОльга <f@example.org> wrote:\n", "koi8-r"},
        RawHeaderCase{"ShiftJISInTheMetaOfAWronglyLabelledHTMLPart", "iso-2022-jp", "\x89\xef\x8b\x63\x82\xcc\x8c\x8f",
                      "\x8e\x52\x93\x63", "Re: 会議の件", "\n\n山田 <f@example.org> wrote:\n", "shift_jis"}),
    [](const auto& info) { return std::string(info.param.name); });

// An HTML part whose label does not read it, but whose own <meta> names the
// charset it is written in.
TEST(MessageFile, HTMLPartWithAWrongLabelIsReadWithItsMetaCharset) {
  EXPECT_EQ(quote("Content-Type: text/html; charset=iso-2022-jp\r\n\r\n<html><head><meta http-equiv=\"Content-Type\" "
                  "content=\"text/html; charset=shift_jis\"></head><body><p>\x89\xef\x8b\x63\x82\xcc\x8c\x8f</p></body></html>"),
            "会議の件");
  EXPECT_EQ(quote("Content-Type: text/html; charset=us-ascii\r\n\r\n<meta charset=\"koi8-r\"><p>\xf0\xd2\xc9\xd7\xc5\xd4</p>"),
            "Привет");
}

// A long UTF-8 part with one cut character reads as UTF-8 with one
// replacement, not as windows-1252 from its first word to its last.
TEST(MessageFile, OneBadByteKeepsTheLabel) {
  std::string words;
  for (int i = 0; i < 200; ++i) words += "Grüße aus Köln. ";
  auto text = quote("Content-Type: text/html; charset=utf-8\r\n\r\n<p>" + words + "\xc3</p>");
  EXPECT_EQ(text, platform::text::trimWhitespaceAndNewlines(words) + " \uFFFD");
}

// --- Address lists and outgoing header fields ---------------------------------

struct AddressCase {
  const char* name;
  std::string field;
  std::vector<std::string> addresses;
};
void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

class AddressListTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressListTest, SplitsIntoMailboxes) {
  EXPECT_EQ(raw(mailkit::parseAddressList(GetParam().field)), GetParam().addresses);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, AddressListTest,
    ::testing::Values(AddressCase{"Empty", "", {}},
                      AddressCase{"EmptyEntriesDropped", " a@x.org ,, b@x.org ", {"a@x.org", "b@x.org"}},
                      AddressCase{"QuotedComma", "\"Last, First\" <f@x.org>, c@x.org",
                                  {"\"Last, First\" <f@x.org>", "c@x.org"}},
                      AddressCase{"AngleBracketsAlone", "<g@x.org>", {"g@x.org"}},
                      AddressCase{"EncodedName", "=?ISO-8859-1?Q?Ren=E9e?= <r@x.org>", {"Renée <r@x.org>"}},
                      AddressCase{"TypedUnicodeName", "Jörg Müller <j@x.de>", {"Jörg Müller <j@x.de>"}},
                      AddressCase{"Group", "Team: a@x.org, b@x.org;, c@x.org", {"a@x.org", "b@x.org", "c@x.org"}},
                      AddressCase{"EmptyGroup", "undisclosed-recipients:;", {}},
                      // As people type them: nothing after a ";" is lost.
                      AddressCase{"SemicolonSeparated", "a@x.org; Dana <d@x.org>;c@x.org",
                                  {"a@x.org", "Dana <d@x.org>", "c@x.org"}},
                      AddressCase{"SemicolonInsideAName", "\"Ops; night\" <o@x.org>; (a;b) p@x.org",
                                  {"\"Ops; night\" <o@x.org>", "p@x.org"}},
                      AddressCase{"SemicolonAfterAGroup", "Team: a@x.org, b@x.org; c@x.org; d@x.org",
                                  {"a@x.org", "b@x.org", "c@x.org", "d@x.org"}},
                      // Groups do not nest: one inside another joins it.
                      AddressCase{"GroupInsideAGroup", "Team: a@x.org, Night: Dana <d@x.org>, b@x.org; c@x.org",
                                  {"a@x.org", "Dana <d@x.org>", "b@x.org", "c@x.org"}},
                      AddressCase{"QuotedGroupNameInsideAGroup", "Team: \"Night: shift\": b@x.org;, c@x.org",
                                  {"b@x.org", "c@x.org"}},
                      // A name is quoted whole, its quotes and backslashes escaped, so that
                      // nothing inside it reads as an address of its own.
                      AddressCase{"QuoteInName", "\"Dana \\\"DJ\\\" Ito\" <d@x.org>",
                                  {"\"Dana \\\"DJ\\\" Ito\" <d@x.org>"}},
                      AddressCase{"BackslashInName", "\"ops\\\\night\" <o@x.org>", {"\"ops\\\\night\" <o@x.org>"}},
                      AddressCase{"EncodedNameHoldingAnAddress", "=?UTF-8?Q?a=22_=3Cevil=40y.org=3E=2C_b?= <ok@x.org>",
                                  {"\"a\\\" <evil@y.org>, b\" <ok@x.org>"}},
                      // Names split into padded Base64 words, as Gmail writes them.
                      AddressCase{"EncodedNameInPaddedWords",
                                  "=?UTF-8?B?TXlTdXJ2ZXkuY29tICY=?= =?UTF-8?B?IENhcm9sIEFkYW1z?=\r\n <carol@example.com>",
                                  {"\"MySurvey.com & Carol Adams\" <carol@example.com>"}},
                      AddressCase{"EncodedWordsInsideQuotes",
                                  "\"=?UTF-8?B?TXlTdXJ2ZXkuY29tICY=?= =?UTF-8?B?IENhcm9sIEFkYW1z?=\" <carol@example.com>",
                                  {"\"MySurvey.com & Carol Adams\" <carol@example.com>"}},
                      AddressCase{"TwoMailboxesWithSplitNames",
                                  "=?UTF-8?B?0J7Qu9GM0LPQsA==?= =?UTF-8?B?INCh0LzQuNGA0L3QvtCy0LA=?= <olga@example.ru>, "
                                  "=?UTF-8?Q?Ren=C3=A9e?= <renee@example.org>",
                                  {"Ольга Смирнова <olga@example.ru>", "Renée <renee@example.org>"}},
                      // Decoded, the words hold a comma and angle brackets: still one mailbox.
                      AddressCase{"SplitNameHoldingAnAddress",
                                  "=?UTF-8?B?TGVlLCBLaW0g?= =?UTF-8?B?PGtAeC5vcmc+?= <kim@example.org>",
                                  {"\"Lee, Kim <k@x.org>\" <kim@example.org>"}},
                      // Not apart from the letters before it, as some mail programs write it.
                      AddressCase{"EncodedWordGluedToTheName", "Ren=?UTF-8?Q?=C3=A9e?= <r@x.org>",
                                  {"Renée <r@x.org>"}},
                      AddressCase{"UnclosedWordsKeptAsTheyStand", "=?a?q?a=?a?q?a =?a?q?a <a@x.org>",
                                  {"=?a?q?a=?a?q?a =?a?q?a <a@x.org>"}}),
    [](const auto& info) { return std::string(info.param.name); });

// What the compose window shows is read again when the message is sent: each
// mailbox must read back as itself, whatever its name holds.
TEST_P(AddressListTest, EachMailboxReadsBackAsItself) {
  for (const auto& address : mailkit::parseAddressList(GetParam().field)) {
    EXPECT_EQ(raw(mailkit::parseAddressList(address.rawString)), std::vector<std::string>{address.rawString});
    std::string encoded = mailkit::encodedAddress(address);
    EXPECT_EQ(mailkit::parseAddressList(encoded).size(), 1u) << encoded;
  }
}

TEST(OutgoingHeaders, NonASCIINameHoldingAnAddressStaysOneMailbox) {
  auto from = mailkit::parseAddressList("=?UTF-8?Q?J=C3=B6rg=22_=3Cevil=40y.org=3E=2C_b?= <ok@x.org>");
  ASSERT_EQ(from.size(), 1u);
  std::string to = mailkit::encodedAddress(from.front());
  auto file = MessageFile::parse("To: " + to + "\r\n\r\nx");
  EXPECT_EQ(raw(file.message().toAddresses), raw(from)) << to;
}

TEST(OutgoingHeaders, NonASCIIBecomesEncodedWordsAndReadsBack) {
  EXPECT_EQ(mailkit::encodedHeaderText("Re: Offsite"), "Re: Offsite");
  EXPECT_EQ(mailkit::encodedAddress({"Dana <d@x.org>"}), "Dana <d@x.org>");
  std::string subject = mailkit::encodedHeaderText("Re: Grüße aus München");
  std::string to = mailkit::encodedAddress({"\"Müller, Jörg\" <j@example.de>"});
  for (const auto& text : {subject, to})
    for (char c : text) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << text;
  auto file = MessageFile::parse("To: " + to + "\r\nSubject: " + subject + "\r\n\r\nx");
  EXPECT_EQ(file.header("Subject"), "Re: Grüße aus München");
  EXPECT_EQ(raw(file.message().toAddresses), std::vector<std::string>{"\"Müller, Jörg\" <j@example.de>"});
}

TEST(ReplySubject, AddsReOnce) {
  EXPECT_EQ(mailkit::replySubject("Hi"), "Re: Hi");
  EXPECT_EQ(mailkit::replySubject("re: Hi"), "re: Hi");
  EXPECT_EQ(mailkit::replySubject(""), "Re: ");
}

}  // namespace
