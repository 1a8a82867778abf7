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
        Case{"CRLF", std::string("Subject: x\r\nFrom: a@b\r\n\r\nHello\r\nthere"), "Hello\r\nthere"},
        Case{"LF", std::string("Subject: x\nFrom: a@b\n\nHello\nthere"), "Hello\nthere"},
        Case{"CRLFWinsOverEarlierLF", std::string("A: 1\n\nfirst\r\n\r\nsecond"), "second"},
        Case{"HTMLBodyConverted", std::string("Content-Type: text/html\r\n\r\n<p>Hi &amp; bye</p><p>Dana</p>"),
             "Hi & bye\nDana"},
        Case{"PlainBodyWithAddressKept", std::string("A: 1\n\nFrom Dana <dana@example.org>\nline"),
             "From Dana <dana@example.org>\nline"},
        Case{"InvalidUTF8", std::string("A: 1\r\n\r\n\xC3\x28"),
             "[Original message rawData is nil or could not be decoded to UTF-8]"},
        Case{"MissingRawData", std::nullopt, "[Original message rawData is nil or could not be decoded to UTF-8]"},
        Case{"EmptyBody", std::string("A: 1\r\n\r\n"), ""},
        // MIME bodies are decoded; the HTML alternative wins.
        Case{"AlternativeQuotedPrintable", mail_samples::kAlternativeQuotedPrintable,
             "Hallo Sam,\nkönnen wir uns am Freitag um 10 Uhr treffen?\nJörg"},
        Case{"Base64Latin1", mail_samples::kBase64Latin1, "Olá Sam,\n\na reunião é às 15h na sala Açores.\n\nAna\n"},
        Case{"Base64UTF8", mail_samples::kBase64UTF8, "Hi Sam 👋\n\nThe café on Rue Saint-Éloi opens at 9.\n\nChloé\n"},
        Case{"NestedMixedNeverQuotesAttachments", mail_samples::kNestedMixedWithAttachments,
             "See the agenda attached. Can you present?"},
        Case{"MalformedBoundaryQuotesTheContent", mail_samples::kMalformedBoundary,
             "--actual\nContent-Type: text/plain\n\nLunch at noon?\n--actual--\n"},
        Case{"UnknownCharset", mail_samples::kUnknownCharsetUTF8Bytes, "Grüße\n"},
        Case{"AttachmentOnlyQuotesNothing", mail_samples::kAttachmentOnly, ""},
        Case{"EightBitLatin1PartDecoded",
             std::string("Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n"
                         "Content-Type: text/plain; charset=ISO-8859-1\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                         "Gr\xFC\xDF" "e\r\n--b--\r\n"),
             "Grüße"},
        // Bodies that are not MIME-encoded stay exactly as they stand.
        Case{"EightBitBodyAsItStands", mail_samples::kPlainEightBit, "Grüße =?UTF-8?Q?stays?= as typed\r\n-- \r\nDana\r\n"},
        Case{"EightBitLatin1NotUTF8", std::string("Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nGr\xFC\xDF" "e"),
             "[Original message rawData is nil or could not be decoded to UTF-8]"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuotedMessage, NoOriginalMessage) {
  EXPECT_EQ(quorbel::quotedMessageText(MEComposeContext{}, logger), "[No original message to quote.]");
}

TEST(QuotedMessage, WithoutBlankLineKeptUpTo5000Characters) {
  // Counted in characters: "é" is two bytes, a CR LF pair is one character.
  std::string exactly5000 = std::string(4998, 'a') + "\r\n" + "\xC3\xA9";
  EXPECT_EQ(quotedText(exactly5000), exactly5000);
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
