// What the popover shows for each way the built-in service's direct road can
// end: a draft, or the error text of the router or the client.
#include <gtest/gtest.h>

#include <sstream>

#include "compose/ComposeSessionViewController.hpp"
#include "compose/MailExtension.hpp"
#include "compose/ScriptedSession.hpp"
#include "foundation/UserDefaults.hpp"
#include "mailkit/ReplySession.hpp"
#include "test_doubles/DirectRoadFailures.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/LoopbackServer.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using test_doubles::VertexAIBackend;

struct PopoverCase {
  const char* name;
  int status;
  std::string body;
  std::string shown;  // the draft, or the error text
  bool succeeds = false;
};
void PrintTo(const PopoverCase& c, std::ostream* os) { *os << c.name; }

class DirectRoadPopoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    auto suite = platform::UserDefaults::suite("group.tesvarin.quorbel");
    suite->set("llm_provider", "gemini");
    suite->synchronize();
    test_doubles::configureDefaultAppFromShippedOptions();
    messageFile = folder.write("offsite.eml", "From: Dana <dana@example.org>\r\nSubject: Offsite\r\n\r\n<p>Join?</p>");
  }
  void TearDown() override { test_doubles::resetApps(); }

  // One scripted Write session; what it printed, draft or error.
  std::string runWriteSession(bool& succeeded) {
    auto session = mailkit::ReplySession::open(extension, messageFile);
    auto controller = std::dynamic_pointer_cast<quorbel::ComposeSessionViewController>((*session)->openExtensionView());
    std::ostringstream out, err;
    succeeded = quorbel::runScriptedSession(*controller->popover(), {}, out, err, quorbel::DraftOutput::exact) == 0;
    std::string shown = succeeded ? out.str() : err.str();
    if (shown.ends_with('\n')) shown.pop_back();
    return shown;
  }

  VertexAIBackend backend;
  test_support::TempDir folder;
  std::filesystem::path messageFile;
  quorbel::MailExtension extension;
};

class DirectRoadPopover : public DirectRoadPopoverTest, public ::testing::WithParamInterface<PopoverCase> {};

TEST_P(DirectRoadPopover, ShowsTheDraftOrTheRoutersError) {
  const auto& c = GetParam();
  backend.server.reply(c.status, c.body, "application/json");
  bool succeeded = false;
  EXPECT_EQ(runWriteSession(succeeded), c.shown);
  EXPECT_EQ(succeeded, c.succeeds);
  EXPECT_EQ(backend.server.requestCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DirectRoadPopover,
    ::testing::Values(
        PopoverCase{"Answer", 200, test_doubles::responseWithText("Dear Dana, yes."), "Dear Dana, yes.", true},
        PopoverCase{"AnswerWithoutItsDefaultFields", 200,
                    R"({"candidates":[{"content":{"role":"model","parts":[{"text":"Dear Dana, yes."}]},)"
                    R"("citationMetadata":{},"safetyRatings":[{"category":"HARM_CATEGORY_HATE_SPEECH"}]}],)"
                    R"("usageMetadata":{"candidatesTokensDetails":[{"modality":"TEXT"}]}})",
                    "Dear Dana, yes.", true},
        PopoverCase{"NoCandidates", 200, R"({"candidates":[]})", "Received empty response from API"},
        PopoverCase{"ContentWithoutParts", 200, R"({"candidates":[{"content":{"role":"model"},"finishReason":"STOP"}]})",
                    "Received empty response from API"}),
    [](const auto& info) { return std::string(info.param.name); });

class FailingReplyPopover : public DirectRoadPopoverTest,
                            public ::testing::WithParamInterface<test_doubles::FailingReply> {};

TEST_P(FailingReplyPopover, ShowsTheClientsText) {
  const auto& c = GetParam();
  backend.server.reply(c.status, c.body, c.contentType);
  bool succeeded = true;
  EXPECT_EQ(runWriteSession(succeeded), c.shown);
  EXPECT_FALSE(succeeded);
  EXPECT_EQ(backend.server.requestCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Replies, FailingReplyPopover, ::testing::ValuesIn(test_doubles::failingReplies()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirectRoadPopoverTest, ABackendThatCannotBeReachedOrNamedShowsTheClientsText) {
  for (const auto& c : test_doubles::failingBaseAddresses()) {
    SCOPED_TRACE(c.name);
    test_support::ScopedEnv address("VERTEXAI_BASE_URL", c.value);
    bool succeeded = true;
    EXPECT_EQ(runWriteSession(succeeded), c.shown);
    EXPECT_FALSE(succeeded);
  }
}

TEST_F(DirectRoadPopoverTest, AConfigurationTheClientRefusesShowsItsText) {
  test_doubles::configureDefaultAppWithout("API_KEY");
  bool succeeded = true;
  EXPECT_EQ(runWriteSession(succeeded),
            "Service not available: The Firebase app named \"__FIRAPP_DEFAULT\" has no API key in its configuration.");
  EXPECT_FALSE(succeeded);
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

}  // namespace
