#include <gtest/gtest.h>

#include "MailSamples.hpp"
#include "foundation/Error.hpp"
#include "mailkit/HandlerReports.hpp"
#include "mailkit/ReplySession.hpp"
#include "test_support/TempDir.hpp"

namespace {

using namespace mailkit;

// Records what the host asks and answers as told.
struct RecordingHandler : MEComposeSessionHandler {
  std::vector<std::string> calls;
  platform::ErrorPtr refusal;
  std::optional<std::string> originalRaw;
  void mailComposeSessionDidBegin(MEComposeSession& s) override {
    calls.push_back("begin");
    originalRaw = s.composeContext().originalMessage->rawData;
  }
  void mailComposeSessionDidEnd(MEComposeSession&) override { calls.push_back("end"); }
  std::shared_ptr<MEExtensionViewController> viewControllerForSession(MEComposeSession&) override {
    calls.push_back("view");
    struct Loaded : MEExtensionViewController {
      void loadView() override { preferredContentSize = {450, 550}; }
    };
    return std::make_shared<Loaded>();
  }
  void annotateAddresses(MEComposeSession& s, std::function<void(AddressAnnotations)> done) override {
    AddressAnnotations a;
    for (auto& r : s.mailMessage().allRecipientAddresses()) a.emplace(r, MEAddressAnnotation::error("bad"));
    done(a);
  }
  void canSendMessage(MEComposeSession&, std::function<void(platform::ErrorPtr)> done) override { done(refusal); }
  HeaderFields additionalHeadersForSession(MEComposeSession&) override { return {{"X-Extra", {"one", "two"}}}; }
};

struct FakeExtension : MEExtension {
  std::shared_ptr<RecordingHandler> compose = std::make_shared<RecordingHandler>();
  std::shared_ptr<MEComposeSessionHandler> handlerForComposeSession(MEComposeSession&) override { return compose; }
  std::shared_ptr<MEMessageActionHandler> handlerForMessageActions() override {
    struct RedForAll : MEMessageActionHandler {
      void decideActionForMessage(const MEMessage& m, std::function<void(std::optional<MEMessageActionDecision>)> done) override {
        if (m.subject.empty()) return done(std::nullopt);
        done(MEMessageActionDecision::applyAction(
            MEMessageAction::setBackgroundColorActionWithColor(MEMessageActionMessageColor::red)));
      }
    };
    return std::make_shared<RedForAll>();
  }
  std::shared_ptr<MEContentBlocker> handlerForContentBlocker() override { return nullptr; }
  std::shared_ptr<MEMessageSecurityHandler> handlerForMessageSecurity() override { return nullptr; }
};

const std::string kMessage = "From: Dana <dana@example.org>\r\nSubject: Offsite\r\nMessage-ID: <m1@x>\r\n\r\nHi\r\n";

TEST(ReplySession, HandsTheHandlerTheRawBytesAndEndsTheSession) {
  test_support::TempDir folder;
  FakeExtension extension;
  {
    auto session = ReplySession::open(extension, folder.write("m.eml", kMessage));
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ(extension.compose->originalRaw, kMessage);
    EXPECT_EQ((*session)->session().mailMessage().subject, "Re: Offsite");
    auto controller = (*session)->openExtensionView();
    EXPECT_EQ(controller->preferredContentSize, (Size{450, 550}));
  }
  EXPECT_EQ(extension.compose->calls, (std::vector<std::string>{"begin", "view", "end"}));
}

TEST(ReplySession, SendWritesTheMessageWithTheExtraHeaders) {
  test_support::TempDir folder;
  FakeExtension extension;
  auto session = std::move(*ReplySession::open(extension, folder.write("m.eml", kMessage)));
  auto out = folder.path() / "sent.eml";
  platform::ErrorPtr result = platform::makeError("x", 1, "not called");
  session->send("Yes!\nSam", out, [&](platform::ErrorPtr error) { result = error; });
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(test_support::readFile(out),
            "To: Dana <dana@example.org>\r\nSubject: Re: Offsite\r\nIn-Reply-To: <m1@x>\r\nMIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\nX-Extra: one\r\n"
            "X-Extra: two\r\n\r\nYes!\r\nSam\r\n");
}

TEST(ReplySession, DecodedNamesAndSubjectGoOutAsEncodedWords) {
  test_support::TempDir folder;
  FakeExtension extension;
  auto session = std::move(*ReplySession::open(extension, folder.write("m.eml", mail_samples::kAlternativeQuotedPrintable)));
  EXPECT_EQ(session->session().mailMessage().subject, "Re: Grüße aus München");
  auto out = folder.path() / "sent.eml";
  session->send("Ja, gerne.", out, [](platform::ErrorPtr) {});
  auto sent = test_support::readFile(out);
  for (char c : sent) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << sent;
  auto reread = MessageFile::parse(sent);
  EXPECT_EQ(reread.header("Subject"), "Re: Grüße aus München");
  EXPECT_EQ(reread.message().toAddresses, (std::vector<MEEmailAddress>{{"Jörg Müller <joerg@example.de>"}}));
  EXPECT_EQ(reread.header("In-Reply-To"), "<alt-qp@example.de>");
}

class EncodedWordsReplyTest : public ::testing::TestWithParam<mail_samples::EncodedWordsForm> {};

TEST_P(EncodedWordsReplyTest, TheSentFileCarriesTheWholeSubjectAndName) {
  const auto& form = GetParam();
  test_support::TempDir folder;
  FakeExtension extension;
  auto session =
      std::move(*ReplySession::open(extension, folder.write("m.eml", mail_samples::messageWithEncodedWords(form))));
  EXPECT_EQ(session->session().mailMessage().subject, "Re: " + form.subject);
  auto out = folder.path() / "sent.eml";
  session->send("Count me in.", out, [](platform::ErrorPtr) {});
  auto sent = MessageFile::parse(test_support::readFile(out));
  EXPECT_EQ(sent.header("Subject"), "Re: " + form.subject);
  EXPECT_EQ(sent.message().toAddresses, std::vector<MEEmailAddress>{{form.replyTo}});
}

INSTANTIATE_TEST_SUITE_P(Forms, EncodedWordsReplyTest, ::testing::ValuesIn(mail_samples::kEncodedWordsForms),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplySession, AnAddressInsideTheSendersNameAddsNoRecipient) {
  test_support::TempDir folder;
  FakeExtension extension;
  // The name, decoded: Dana" <eve@example.net>, x
  auto message = folder.write("m.eml",
                              "From: =?UTF-8?Q?Dana=22_=3Ceve=40example.net=3E=2C_x?= <dana@example.org>\r\n"
                              "Subject: Offsite\r\n\r\nHi\r\n");
  auto session = std::move(*ReplySession::open(extension, message));
  ASSERT_EQ(session->session().mailMessage().toAddresses.size(), 1u);
  auto out = folder.path() / "sent.eml";
  session->send("Yes", out, [](platform::ErrorPtr) {});
  auto recipients = MessageFile::parse(test_support::readFile(out)).message().toAddresses;
  ASSERT_EQ(recipients.size(), 1u) << test_support::readFile(out);
  EXPECT_TRUE(recipients.front().rawString.ends_with("<dana@example.org>")) << recipients.front().rawString;
}

TEST(ReplySession, LineBreaksInHeaderValuesAddNoHeaderFields) {
  mailkit::MEMessage draft;
  draft.toAddresses = {{"dana@example.org\nBcc: eve@example.net"}};
  draft.subject = "Re: Offsite\r\nBcc: eve@example.net";
  auto text = mailkit::outgoingMessageText(draft, "body", {{"X-Extra", {"one\rtwo"}}}, "<m1@x>\rBcc: eve@example.net");
  EXPECT_EQ(text,
            "To: dana@example.org Bcc: eve@example.net\r\nSubject: Re: Offsite  Bcc: eve@example.net\r\n"
            "In-Reply-To: <m1@x> Bcc: eve@example.net\r\nMIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\nX-Extra: one two\r\n"
            "\r\nbody\r\n");
}

TEST(ReplySession, RefusedSendWritesNothing) {
  test_support::TempDir folder;
  FakeExtension extension;
  extension.compose->refusal = platform::makeError("ComposeSessionError", 0, "no");
  auto session = std::move(*ReplySession::open(extension, folder.write("m.eml", kMessage)));
  auto out = folder.path() / "sent.eml";
  platform::ErrorPtr result;
  session->send("body", out, [&](platform::ErrorPtr error) { result = error; });
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->localizedDescription(), "no");
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(ReplySession, EditedRecipientsReachTheHandler) {
  test_support::TempDir folder;
  FakeExtension extension;
  auto session = std::move(*ReplySession::open(extension, folder.write("m.eml", kMessage)));
  MEMessage draft = session->session().mailMessage();
  draft.toAddresses = {{"a@x.org"}, {"b@x.org"}};
  session->updateDraft(draft);
  AddressAnnotations annotations;
  session->annotateRecipients([&](AddressAnnotations a) { annotations = std::move(a); });
  EXPECT_EQ(annotations.size(), 2u);
}

TEST(HandlerReports, MessageAction) {
  test_support::TempDir folder;
  FakeExtension extension;
  EXPECT_EQ(messageActionReport(extension, folder.write("m.eml", kMessage)), "background colour: red");
  EXPECT_EQ(messageActionReport(extension, folder.write("n.eml", "From: a\n\nbody")), "no action");
  // The handler sees the decoded subject.
  struct MarsOnly : FakeExtension {
    std::shared_ptr<MEMessageActionHandler> handlerForMessageActions() override {
      struct Handler : MEMessageActionHandler {
        void decideActionForMessage(const MEMessage& m,
                                    std::function<void(std::optional<MEMessageActionDecision>)> done) override {
          if (m.subject != "Trip to Mars") return done(std::nullopt);
          done(MEMessageActionDecision::applyAction(
              MEMessageAction::setBackgroundColorActionWithColor(MEMessageActionMessageColor::red)));
        }
      };
      return std::make_shared<Handler>();
    }
  } mars;
  EXPECT_EQ(messageActionReport(mars, folder.write("e.eml", "Subject: =?UTF-8?B?VHJpcCB0byBNYXJz?=\r\n\r\nx")),
            "background colour: red");
  EXPECT_FALSE(messageActionReport(extension, folder.path() / "missing.eml").has_value());
}

}  // namespace
