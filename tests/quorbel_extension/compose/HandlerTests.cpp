#include <gtest/gtest.h>

#include <mutex>

#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>

#include "CompositionDoubles.hpp"
#include "MailSamples.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "compose/ComposeSessionError.hpp"
#include "compose/ComposeSessionHandler.hpp"
#include "compose/ComposeSessionViewController.hpp"
#include "compose/MailExtension.hpp"
#include "compose/MessageSecurityHandler.hpp"
#include "firebase_core/FIRApp.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/OSLog.hpp"
#include "foundation/UserDefaults.hpp"
#include "mailkit/HandlerReports.hpp"
#include "firebase_core/GULLogger.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using mailkit::MEComposeSession;
using mailkit::MEEmailAddress;
using mailkit::MEMessage;

MEComposeSession sessionTo(std::vector<std::string> recipients) {
  MEMessage draft;
  for (auto& r : recipients) draft.toAddresses.push_back({r});
  return MEComposeSession(draft, {});
}

class HandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    test_doubles::resetApps();  // no default app until a handler configures one
    platform::oslog::setSink([this](const platform::OSLog& log, platform::LogType, std::string_view line) {
      std::lock_guard lock(recordedMutex_);
      recorded_.push_back(log.category() + ": " + std::string(line));
    });
  }
  void TearDown() override {
    firebase::GULLoggerDrain();
    platform::oslog::setSink(nullptr);
  }

  // The core logs on a queue of its own: its lines are waited for, and the
  // list is copied under the lock it is written under.
  std::vector<std::string> logLines() {
    firebase::GULLoggerDrain();
    std::lock_guard lock(recordedMutex_);
    return recorded_;
  }
  bool logged(const std::string& line) {
    auto lines = logLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool loggedLineStartingWith(const std::string& start) {
    auto lines = logLines();
    return std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.starts_with(start); });
  }

 private:
  std::mutex recordedMutex_;
  std::vector<std::string> recorded_;
};

TEST_F(HandlerTest, BarredRecipientIsAnnotatedAndRefused) {
  quorbel::ComposeSessionHandler handler;
  auto session = sessionTo({"sam@example.com", "dana@example.org", "sam@example.com"});
  std::optional<mailkit::AddressAnnotations> annotations;
  handler.annotateAddresses(session, [&](mailkit::AddressAnnotations result) { annotations = std::move(result); });
  EXPECT_FALSE(annotations.has_value());  // delivered later, on the main queue
  platform::RunLoop::drainMainQueue();
  ASSERT_TRUE(annotations.has_value());
  ASSERT_EQ(annotations->size(), 1u);
  EXPECT_EQ(annotations->at({"sam@example.com"}).localizedDescription(), "example.com is not a valid domain");

  platform::ErrorPtr refusal;
  handler.canSendMessage(session, [&](platform::ErrorPtr error) { refusal = error; });
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(refusal->localizedDescription(), "example.com is not a valid recipient domain");
  EXPECT_NE(platform::errorAs<quorbel::ComposeSessionError>(refusal), nullptr);
}

TEST_F(HandlerTest, OnlyTheExactTailOfTheRawAddressIsBarred) {
  for (const char* allowed : {"sam@EXAMPLE.COM", "sam@mail.example.com", "Sam <sam@example.com>", "sam@example.com ",
                              "sam@notexample.com"}) {
    EXPECT_FALSE(quorbel::isBarredRecipient(allowed)) << allowed;
  }
  EXPECT_TRUE(quorbel::isBarredRecipient("x@example.com"));
  EXPECT_TRUE(quorbel::isBarredRecipient("weird text@example.com"));
}

TEST_F(HandlerTest, NoRecipientsMaySend) {
  quorbel::ComposeSessionHandler handler;
  auto session = sessionTo({});
  bool called = false;
  handler.canSendMessage(session, [&](platform::ErrorPtr error) {
    called = true;
    EXPECT_EQ(error, nullptr);
  });
  EXPECT_TRUE(called);  // synchronous
  mailkit::AddressAnnotations annotations{{{"x"}, mailkit::MEAddressAnnotation::error("x")}};
  handler.annotateAddresses(session, [&](auto result) { annotations = std::move(result); });
  platform::RunLoop::drainMainQueue();
  EXPECT_TRUE(annotations.empty());
}

TEST_F(HandlerTest, ExtraHeaderForEverySession) {
  quorbel::ComposeSessionHandler handler;
  auto session = sessionTo({"a@b.c"});
  auto headers = handler.additionalHeadersForSession(session);
  ASSERT_EQ(headers.size(), 1u);
  EXPECT_EQ(headers["X-CustomHeader"], std::vector<std::string>{"This ia a custom header."});
}

TEST_F(HandlerTest, FirstHandlerConfiguresTheDefaultAppLaterOnesSkip) {
  test_doubles::configureDefaultAppFromShippedOptions();  // installs the options list
  test_doubles::resetApps();
  quorbel::ComposeSessionHandler first;
  ASSERT_TRUE(firebase::FIRApp::isDefaultAppConfigured());
  EXPECT_EQ(firebase::FIRApp::defaultApp()->options().projectID(), test_doubles::kShippedProjectID);
  quorbel::ComposeSessionHandler second;
  EXPECT_TRUE(logged("ComposeSessionHandler: ✅ Firebase configured in ComposeSessionHandler."));
  EXPECT_TRUE(logged("ComposeSessionHandler: ℹ️ Firebase already configured, skipping configuration."));
}

TEST_F(HandlerTest, MissingOptionsListIsLoggedNotFatal) {
  std::filesystem::remove(test_support::IsolatedEnvironment::bundlePath() / "Resources" / "GoogleService-Info.plist");
  quorbel::ComposeSessionHandler handler;
  EXPECT_TRUE(loggedLineStartingWith("ComposeSessionHandler: ❌ Firebase could not be configured: "));
  auto session = sessionTo({});
  auto controller = std::dynamic_pointer_cast<quorbel::ComposeSessionViewController>(handler.viewControllerForSession(session));
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->model(), nullptr);
}

TEST_F(HandlerTest, ViewControllerGetsTheQuotedText) {
  quorbel::ComposeSessionHandler handler;
  MEMessage original;
  original.rawData = "Subject: Hi\r\nContent-Type: text/html\r\n\r\n<p>Hello &amp; welcome</p>";
  MEComposeSession session(MEMessage{}, {std::make_shared<const MEMessage>(original)});
  auto controller = std::dynamic_pointer_cast<quorbel::ComposeSessionViewController>(handler.viewControllerForSession(session));
  EXPECT_EQ(controller->quotedEmailContent, "Hello & welcome");
}

struct ModelCase {
  const char* name;
  bool hasDefaultApp;
  const char* missingOptionsKey;  // null: the shipped options, whole
  bool made;
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }

class BuiltInModelTest : public HandlerTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(BuiltInModelTest, PopoverOpensForEveryProvider) {
  const auto& c = GetParam();
  if (c.hasDefaultApp && c.missingOptionsKey) test_doubles::configureDefaultAppWithout(c.missingOptionsKey);
  else if (c.hasDefaultApp) test_doubles::configureDefaultAppFromShippedOptions();
  quorbel::ComposeSessionViewController controller(std::make_shared<compose_test::RecordingLLMService>());
  EXPECT_EQ(controller.model() != nullptr, c.made);
  if (c.made) {
    EXPECT_EQ(controller.model()->modelName(), "gemini-2.0-flash-lite");
    EXPECT_EQ(controller.model()->modelResourceName(),
              "projects/quorbel-sample/locations/us-central1/publishers/google/models/gemini-2.0-flash-lite");
    EXPECT_EQ(controller.model()->requestOptions().timeout, 180);
  }
  if (!GetParam().made) {
    EXPECT_TRUE(loggedLineStartingWith("ComposeSessionViewController: Built-in model not created: "));
  }
  controller.loadView();
  EXPECT_NE(controller.popover(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Apps, BuiltInModelTest,
    ::testing::Values(ModelCase{"Complete", true, nullptr, true}, ModelCase{"NoApp", false, nullptr, false},
                      ModelCase{"NoProject", true, "PROJECT_ID", false}, ModelCase{"NoKey", true, "API_KEY", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HandlerTest, ViewControllerOpensAtTheStoredSize) {
  struct Stored {
    std::optional<double> width, height;
    double openWidth, openHeight;
  };
  for (const Stored& stored : {Stored{std::nullopt, std::nullopt, 450, 550}, Stored{0, -5, 450, 550},
                               Stored{2000, 200, 2000, 200}, Stored{600, 400, 600, 400},
                               // Edited in by hand: bounded so that they convert to whole pixels.
                               Stored{1e12, std::numeric_limits<double>::infinity(), 4096, 4096},
                               Stored{0.5, std::numeric_limits<double>::denorm_min(), 1, 1}, Stored{1, 1.5, 1, 1.5},
                               Stored{std::numeric_limits<double>::quiet_NaN(), 4096, 450, 4096}}) {
    test_support::resetDefaults();
    auto& defaults = platform::UserDefaults::standard();
    if (stored.width) defaults.set("preferredPopoverWidthKey", *stored.width);
    if (stored.height) defaults.set("preferredPopoverHeightKey", *stored.height);
    auto controller = std::make_shared<quorbel::ComposeSessionViewController>(
        std::make_shared<compose_test::RecordingLLMService>());
    controller->loadView();
    EXPECT_EQ(controller->preferredContentSize, (mailkit::Size{stored.openWidth, stored.openHeight}));
    EXPECT_EQ(controller->popover()->currentWidth.get(), stored.openWidth);
  }
}

TEST_F(HandlerTest, ResizedPopoverIsStoredAndReused) {
  auto controller =
      std::make_shared<quorbel::ComposeSessionViewController>(std::make_shared<compose_test::RecordingLLMService>());
  controller->loadView();
  controller->popover()->appeared();  // writes the opening size back at once
  EXPECT_EQ(platform::UserDefaults::standard().doubleValue("preferredPopoverWidthKey"), 450);
  controller->popover()->resizeDragChanged(150, -150);
  controller->popover()->resizeDragEnded();
  EXPECT_EQ(platform::UserDefaults::standard().doubleValue("preferredPopoverWidthKey"), 600);
  EXPECT_EQ(platform::UserDefaults::standard().doubleValue("preferredPopoverHeightKey"), 400);
  EXPECT_EQ(controller->preferredPopoverWidth, 600);

  auto next =
      std::make_shared<quorbel::ComposeSessionViewController>(std::make_shared<compose_test::RecordingLLMService>());
  next->loadView();
  EXPECT_EQ(next->preferredContentSize, (mailkit::Size{600, 400}));
}

struct SubjectCase {
  const char* name;
  const char* subject;
  bool red;
};
void PrintTo(const SubjectCase& c, std::ostream* os) { *os << c.name; }

class MessageActionTest : public ::testing::TestWithParam<SubjectCase> {};

TEST_P(MessageActionTest, SubjectColourRule) {
  quorbel::MailExtension extension;
  MEMessage message;
  message.subject = GetParam().subject;
  std::optional<mailkit::MEMessageActionDecision> decision;
  bool called = false;
  extension.handlerForMessageActions()->decideActionForMessage(message, [&](auto d) {
    called = true;
    decision = d;
  });
  ASSERT_TRUE(called);
  EXPECT_EQ(decision.has_value(), GetParam().red);
  if (decision) {
    EXPECT_EQ(decision->action().backgroundColor(), mailkit::MEMessageActionMessageColor::red);
  }
}

INSTANTIATE_TEST_SUITE_P(Subjects, MessageActionTest,
                         ::testing::Values(SubjectCase{"MarsAsAWord", "Trip to Mars", true},
                                           SubjectCase{"MarsInsideAWord", "Marshmallows", true},
                                           SubjectCase{"LowerCase", "mars rover", false},
                                           SubjectCase{"UpperCase", "MARS", false}, SubjectCase{"Empty", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The rule reads the subject of the message file, however its encoded words
// are split: "Mars" stands in a later word of each.
class EncodedSubjectColourTest : public ::testing::TestWithParam<mail_samples::EncodedWordsForm> {};

TEST_P(EncodedSubjectColourTest, MarsInALaterWordColoursTheMessage) {
  test_support::TempDir folder;
  quorbel::MailExtension extension;
  auto file = folder.write("m.eml", mail_samples::messageWithEncodedWords(GetParam()));
  EXPECT_EQ(mailkit::messageActionReport(extension, file), "background colour: red");
}

INSTANTIATE_TEST_SUITE_P(Forms, EncodedSubjectColourTest, ::testing::ValuesIn(mail_samples::kEncodedWordsForms),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MailExtension, SharedHandlersAndNewComposeHandlers) {
  test_doubles::resetApps();
  quorbel::MailExtension extension;
  EXPECT_EQ(extension.handlerForMessageActions(), extension.handlerForMessageActions());
  EXPECT_EQ(extension.handlerForContentBlocker(), extension.handlerForContentBlocker());
  EXPECT_EQ(extension.handlerForMessageSecurity(), extension.handlerForMessageSecurity());
  auto session = sessionTo({});
  EXPECT_NE(extension.handlerForComposeSession(session), extension.handlerForComposeSession(session));
}

TEST(ContentBlocker, ServesTheBundleRulesByteForByte) {
  quorbel::MailExtension extension;
  auto rules = std::filesystem::path(test_support::IsolatedEnvironment::bundlePath()) / "Resources" /
               "ContentBlockerRules.json";
  std::filesystem::remove(rules);
  EXPECT_EQ(extension.handlerForContentBlocker()->contentRulesJSON(), "");
  std::string bytes = "[{\"trigger\":{\"url-filter\":\".*\"}}]\n\xFF";  // passed through unexamined
  std::ofstream(rules, std::ios::binary) << bytes;
  EXPECT_EQ(extension.handlerForContentBlocker()->contentRulesJSON(), bytes);
  std::filesystem::remove(rules);
}

TEST(MessageSecurity, NeitherSignsNorEncrypts) {
  quorbel::MessageSecurityHandler handler;
  std::optional<mailkit::MEOutgoingMessageEncodingStatus> status;
  handler.getEncodingStatusForMessage(MEMessage{}, {}, [&](auto s) { status = s; });
  ASSERT_TRUE(status.has_value());
  EXPECT_FALSE(status->canSign);
  EXPECT_FALSE(status->canEncrypt);
  EXPECT_EQ(status->securityError, nullptr);
  EXPECT_TRUE(status->addressesFailingEncryption.empty());
  std::optional<mailkit::MEMessageEncodingResult> encoded;
  handler.encodeMessage(MEMessage{}, {}, [&](auto r) { encoded = r; });
  ASSERT_TRUE(encoded.has_value());
  EXPECT_FALSE(encoded->encodedMessage.has_value());
  EXPECT_EQ(encoded->signingError, nullptr);
  EXPECT_FALSE(handler.decodedMessageForMessageData("raw").has_value());
  EXPECT_EQ(handler.extensionViewControllerForMessageContext({}), nullptr);
  bool clicked = false;
  handler.primaryActionClickedForMessageContext({}, [&](auto controller) {
    clicked = true;
    EXPECT_EQ(controller, nullptr);
  });
  EXPECT_TRUE(clicked);
  auto signers = std::dynamic_pointer_cast<quorbel::MessageSecurityViewController>(
      handler.extensionViewControllerForMessageSigners({}));
  ASSERT_NE(signers, nullptr);
}

}  // namespace
