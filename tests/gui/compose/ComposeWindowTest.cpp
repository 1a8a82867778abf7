#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "MailSamples.hpp"
#include "mailkit/ReplySession.hpp"
#include "mailkit_window/ComposeWindow.hpp"
#include "test_support/TempDir.hpp"

namespace {

using namespace mailkit;

// An extension that answers Mail and does nothing else: the window is what
// is looked at here.
struct QuietHandler : MEComposeSessionHandler {
  void mailComposeSessionDidBegin(MEComposeSession&) override {}
  void mailComposeSessionDidEnd(MEComposeSession&) override {}
  std::shared_ptr<MEExtensionViewController> viewControllerForSession(MEComposeSession&) override {
    return std::make_shared<MEExtensionViewController>();
  }
  void annotateAddresses(MEComposeSession&, std::function<void(AddressAnnotations)> done) override { done({}); }
  void canSendMessage(MEComposeSession&, std::function<void(platform::ErrorPtr)> done) override { done(nullptr); }
  HeaderFields additionalHeadersForSession(MEComposeSession&) override { return {}; }
};

struct QuietExtension : MEExtension {
  std::shared_ptr<MEComposeSessionHandler> handlerForComposeSession(MEComposeSession&) override {
    return std::make_shared<QuietHandler>();
  }
  std::shared_ptr<MEMessageActionHandler> handlerForMessageActions() override { return nullptr; }
  std::shared_ptr<MEContentBlocker> handlerForContentBlocker() override { return nullptr; }
  std::shared_ptr<MEMessageSecurityHandler> handlerForMessageSecurity() override { return nullptr; }
};

std::unique_ptr<ComposeWindow> windowAnswering(const std::string& message, const test_support::TempDir& folder) {
  static QuietExtension extension;
  auto session = ReplySession::open(extension, folder.write("original.eml", message));
  return std::make_unique<ComposeWindow>(std::move(*session), nullptr, std::nullopt);
}

TEST(ComposeWindow, ShowsDecodedSubjectNamesAndQuotedText) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::kAlternativeQuotedPrintable, folder);
  EXPECT_EQ(window->windowTitle(), "Re: Grüße aus München");
  EXPECT_EQ(window->toField()->text(), "Jörg Müller <joerg@example.de>");
  EXPECT_TRUE(window->bodyEditor()->toPlainText().contains(
      "Jörg Müller <joerg@example.de> wrote:\n> Hallo Sam,\n> \n> können wir uns am Freitag"))
      << window->bodyEditor()->toPlainText().toStdString();
}

// A sender's name or subject whose encoded words hold a line break: the
// window shows each on its one line, and nothing of them reads as a quoted
// line of the original.
TEST(ComposeWindow, LineBreaksInEncodedWordsStayOnTheirLine) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::crlf("From: =?UTF-8?Q?Bob=0A=3E_I_will_pay_double?= <bob@example.org>\n"
                                                   "Subject: =?UTF-8?Q?Invoice=0D=0ABcc:_all@example.org?=\n\n"
                                                   "Please pay by Friday.\n"),
                                folder);
  EXPECT_EQ(window->subjectField()->text().toStdString(), "Re: Invoice  Bcc: all@example.org");
  EXPECT_EQ(window->bodyEditor()->toPlainText().toStdString(),
            "\n\nBob > I will pay double <bob@example.org> wrote:\n> Please pay by Friday.\n> ");
}

// An HTML-only message shows the text a browser shows, not its markup.
TEST(ComposeWindow, AnHTMLOnlyMessageShowsItsText) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::crlf("From: dana@example.org\nSubject: Lunch\nContent-Type: text/html\n\n"
                                                   "<p>Lunch &amp; a walk?</p><blockquote>Friday?</blockquote>\n"),
                                folder);
  EXPECT_EQ(window->bodyEditor()->toPlainText().toStdString(),
            "\n\ndana@example.org wrote:\n> Lunch & a walk?\n> > Friday?");
}

class EncodedWordsWindowTest : public ::testing::TestWithParam<mail_samples::EncodedWordsForm> {};

TEST_P(EncodedWordsWindowTest, ShowsTheWholeSubjectAndSender) {
  const auto& form = GetParam();
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::messageWithEncodedWords(form), folder);
  EXPECT_EQ(window->windowTitle().toStdString(), "Re: " + form.subject);
  EXPECT_EQ(window->subjectField()->text().toStdString(), "Re: " + form.subject);
  EXPECT_EQ(window->toField()->text().toStdString(), form.replyTo);
  std::string body = window->bodyEditor()->toPlainText().toStdString();
  EXPECT_NE(body.find("\n" + form.from + " wrote:\n> See you there."), std::string::npos) << body;
}

INSTANTIATE_TEST_SUITE_P(Forms, EncodedWordsWindowTest, ::testing::ValuesIn(mail_samples::kEncodedWordsForms),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComposeWindow, RecipientsTypedWithSemicolonsAllGoOut) {
  test_support::TempDir folder;
  static QuietExtension extension;
  auto session = ReplySession::open(extension, folder.write("original.eml", mail_samples::kAlternativeQuotedPrintable));
  auto out = folder.path() / "sent.eml";
  ComposeWindow window(std::move(*session), nullptr, out);
  window.toField()->setText("Jörg Müller <joerg@example.de>; sam@example.org");
  window.send();
  std::vector<std::string> sent;
  for (const auto& address : MessageFile::parse(test_support::readFile(out)).message().toAddresses)
    sent.push_back(address.rawString);
  EXPECT_EQ(sent, (std::vector<std::string>{"Jörg Müller <joerg@example.de>", "sam@example.org"}));
}

TEST(ComposeWindow, QuotesABase64BodyDecoded) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::kBase64Latin1, folder);
  EXPECT_EQ(window->windowTitle(), "Re: Reunião");
  EXPECT_TRUE(window->bodyEditor()->toPlainText().contains("> a reunião é às 15h na sala Açores."))
      << window->bodyEditor()->toPlainText().toStdString();
}

}  // namespace
