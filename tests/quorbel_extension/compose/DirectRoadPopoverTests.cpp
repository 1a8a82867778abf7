// What the popover shows for each way the built-in service's direct road can
// end: a draft, or the error text of the router or the client.
#include <gtest/gtest.h>

#include <sstream>

#include "compose/ComposeSessionViewController.hpp"
#include "compose/MailExtension.hpp"
#include "compose/ScriptedSession.hpp"
#include "foundation/UserDefaults.hpp"
#include "mailkit/ReplySession.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/LoopbackServer.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using test_doubles::VertexAIBackend;

const std::string kClientFailure =
    "The operation couldn\u2019t be completed. (FirebaseVertexAI.GenerateContentError error 0.)";

struct PopoverCase {
  const char* name;
  int status;
  std::string body;
  std::string shown;  // the draft, or the error text
  bool succeeds = false;
};
void PrintTo(const PopoverCase& c, std::ostream* os) { *os << c.name; }

class DirectRoadPopover : public ::testing::TestWithParam<PopoverCase> {
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

TEST_P(DirectRoadPopover, ShowsTheDraftOrTheErrorText) {
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
        PopoverCase{"EmptyBody", 200, "", kClientFailure},
        PopoverCase{"NotJSON", 200, "<html>", kClientFailure},
        PopoverCase{"NoCandidates", 200, R"({"candidates":[]})", "Received empty response from API"},
        PopoverCase{"Blocked", 200, R"({"promptFeedback":{"blockReason":"SAFETY"}})",
                    "The operation couldn\u2019t be completed. (FirebaseVertexAI.GenerateContentError error 2.)"},
        PopoverCase{"StoppedEarly", 200, test_doubles::responseWithText("Dear", "MAX_TOKENS"),
                    "The operation couldn\u2019t be completed. (FirebaseVertexAI.GenerateContentError error 3.)"},
        PopoverCase{"BackendError", 429, R"({"error":{"code":429,"message":"Quota","status":"RESOURCE_EXHAUSTED"}})",
                    kClientFailure},
        PopoverCase{"ServerErrorPage", 502, "<html>Bad gateway</html>", kClientFailure}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirectRoadPopover, ATransportFailureShowsTheClientsError) {
  test_support::ScopedEnv closed("VERTEXAI_BASE_URL",
                                 "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()));
  bool succeeded = true;
  EXPECT_EQ(runWriteSession(succeeded), kClientFailure);
  EXPECT_FALSE(succeeded);
}

TEST_F(DirectRoadPopover, AConfigurationTheClientRefusesShowsItsText) {
  test_doubles::configureDefaultAppWithout("API_KEY");
  bool succeeded = true;
  EXPECT_EQ(runWriteSession(succeeded),
            "Service not available: The Firebase app named \"__FIRAPP_DEFAULT\" has no API key in its configuration.");
  EXPECT_FALSE(succeeded);
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

}  // namespace
