// The route operation and the built-in service's direct road.
#include <gtest/gtest.h>

#include "test_doubles/FakeBuiltInService.hpp"
#include "RouterTestSupport.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "test_support/LoopbackServer.hpp"

using quorbel::BuiltInService;
using quorbel::ExtensionLLMAPIService;
using router_test::CompletionProbe;
using test_doubles::FakeBuiltInService;
using router_test::RouterTest;
using test_support::ScopedEnv;
using ErrorCase = quorbel::ExtensionLLMAPIError::Case;

namespace {

ExtensionLLMAPIService& service() { return ExtensionLLMAPIService::shared(); }

std::shared_ptr<FakeBuiltInService> installFake() {
  auto fake = std::make_shared<FakeBuiltInService>();
  BuiltInService::setShared(fake);
  return fake;
}

// Starts a request and tells whether it completed before the call returned.
struct Started {
  CompletionProbe probe;
  bool completedBeforeReturn = false;
};
Started start(const std::string& prompt, const std::optional<std::string>& systemPrompt = std::nullopt) {
  Started started;
  service().generateContent(prompt, systemPrompt, started.probe.completion());
  started.completedBeforeReturn = started.probe.calls() > 0;
  return started;
}

class Router : public RouterTest {
 protected:
  void TearDown() override { BuiltInService::setShared(nullptr); }
};

TEST_F(Router, EachProviderGoesToItsOwnPath) {
  struct Case {
    std::optional<std::string> stored;
    const char* routingLine;
    ErrorCase failure;  // with nothing configured, each path fails in its own way
  };
  ScopedEnv debug("DEBUG_LOGGING", "true");
  for (const auto& c : {Case{std::nullopt, "➡️ ExtensionLLMAPIService: Routing to Gemini generation",
                             ErrorCase::firebaseNotConfigured},
                        Case{"mystery", "➡️ ExtensionLLMAPIService: Routing to Gemini generation",
                             ErrorCase::firebaseNotConfigured},
                        Case{"openai", "➡️ ExtensionLLMAPIService: Routing to OpenAI generation",
                             ErrorCase::endpointNotConfigured},
                        Case{"ollama", "➡️ ExtensionLLMAPIService: Routing to Ollama generation",
                             ErrorCase::endpointNotConfigured},
                        Case{"custom", "➡️ ExtensionLLMAPIService: Routing to Custom API generation",
                             ErrorCase::endpointNotConfigured}}) {
    if (c.stored) router_test::suite()->set("llm_provider", *c.stored);
    test_support::ConsoleCapture console;
    auto started = start("p");
    EXPECT_TRUE(started.completedBeforeReturn);
    EXPECT_TRUE(started.probe.failedWith(c.failure)) << c.routingLine;
    EXPECT_TRUE(console.contains(c.routingLine)) << console.joined();
  }
}

TEST_F(Router, WithoutAnInstalledServiceTheDirectPathReportsNotConfigured) {
  auto started = start("p");
  EXPECT_TRUE(started.completedBeforeReturn);
  EXPECT_EQ(started.probe.calls(), 1);
  EXPECT_TRUE(started.probe.failedWith(ErrorCase::firebaseNotConfigured));
  EXPECT_EQ(started.probe.error()->localizedDescription(), "Firebase is not configured properly");
}

// The Vertex AI client would end the process on any of these, so the router
// must refuse them itself.
struct UnusableCase {
  const char* name;
  bool hasDefaultApp;
  std::string projectID;
  std::string apiKey;
  std::string model;
};
void PrintTo(const UnusableCase& c, std::ostream* os) { *os << c.name; }

class UnusableBuiltInService : public Router, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(UnusableBuiltInService, CompletesWithFirebaseNotConfiguredBeforeReturning) {
  const auto& c = GetParam();
  auto fake = installFake();
  if (c.hasDefaultApp) fake->options = FakeBuiltInService::AppOptions{c.projectID, c.apiKey, "app"};
  else fake->options.reset();
  ScopedEnv model("GEMINI_MODEL", c.model);

  auto started = start("p");
  EXPECT_TRUE(started.completedBeforeReturn);
  EXPECT_TRUE(started.probe.calledOnMainThread());
  EXPECT_TRUE(started.probe.failedWith(ErrorCase::firebaseNotConfigured));
  platform::RunLoop::runFor(std::chrono::milliseconds(50));
  EXPECT_EQ(started.probe.calls(), 1);
  EXPECT_TRUE(fake->calls().empty()) << "the model was called";
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnusableBuiltInService,
    ::testing::Values(UnusableCase{"NoDefaultApp", false, "", "", "gemini-2.0-flash-lite"},
                      UnusableCase{"NoProjectID", true, "", "key", "gemini-2.0-flash-lite"},
                      UnusableCase{"NoAPIKey", true, "project", "", "gemini-2.0-flash-lite"},
                      UnusableCase{"ModelWithSlash", true, "project", "key", "models/gemini-pro"},
                      UnusableCase{"ModelWithBlank", true, "project", "key", "gemini pro"},
                      UnusableCase{"ModelWithTab", true, "project", "key", "gemini\tpro"},
                      UnusableCase{"ModelWithNoBreakSpace", true, "project", "key", "gemini\u00A0pro"},
                      UnusableCase{"ModelWithLineSeparator", true, "project", "key", "gemini\u2028pro"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelNames, OnlyNamesWithoutSlashSpaceOrBreakAreUsable) {
  EXPECT_TRUE(quorbel::isUsableModelName("gemini-2.0-flash-lite"));
  EXPECT_TRUE(quorbel::isUsableModelName("my-model"));  // accepted with a warning by the client
  for (std::string bad : {"", "a/b", "a b", "a\nb", "a\rb", "\u3000x", "x\u0085", "\xFF"})
    EXPECT_FALSE(quorbel::isUsableModelName(bad)) << bad;
}

TEST_F(Router, DirectPathCallsTheModelOffTheMainThreadAndCompletesOnIt) {
  auto fake = installFake();
  auto started = start("Write to Anna");
  EXPECT_FALSE(started.completedBeforeReturn);
  started.probe.waitForCompletion();
  EXPECT_EQ(started.probe.answer(), "model answer");
  EXPECT_TRUE(started.probe.calledOnMainThread());
  ASSERT_EQ(fake->calls().size(), 1u);
  auto call = fake->calls().back();
  EXPECT_FALSE(call.onMainThread);
  EXPECT_EQ(call.model, "gemini-2.0-flash-lite");
  EXPECT_EQ(call.prompt, "Write to Anna");
  EXPECT_DOUBLE_EQ(call.timeout, 180);
}

TEST_F(Router, DirectPathJoinsOnlyANonEmptySystemPrompt) {
  auto fake = installFake();
  for (auto [system, expected] : std::vector<std::pair<std::optional<std::string>, std::string>>{
           {std::nullopt, "P"}, {"", "P"}, {"S", "S\n\nUser: P\nAssistant:"}}) {
    auto started = start("P", system);
    started.probe.waitForCompletion();
    EXPECT_EQ(fake->calls().back().prompt, expected);
  }
}

TEST_F(Router, DirectPathResults) {
  auto fake = installFake();
  auto clientError = platform::makeError("GenerateContentError", 3, "Response was blocked");
  struct Case {
    std::expected<std::optional<std::string>, platform::ErrorPtr> reply;
    std::function<void(const CompletionProbe&)> check;
  };
  std::vector<Case> cases{
      {std::optional<std::string>(""), [](const auto& p) { EXPECT_EQ(p.answer(), ""); }},
      {std::optional<std::string>(), [](const auto& p) { EXPECT_TRUE(p.failedWith(ErrorCase::emptyResponse)); }},
      {std::unexpected(clientError), [&](const auto& p) { EXPECT_EQ(p.error(), clientError); }},
  };
  for (auto& c : cases) {
    fake->reply = c.reply;
    auto started = start("p");
    started.probe.waitForCompletion();
    EXPECT_TRUE(started.probe.calledOnMainThread());
    c.check(started.probe);
  }
}

TEST_F(Router, WorkerIsUsedOnlyInWorkerModeWithBothValuesSet) {
  test_support::LoopbackServer worker;
  worker.reply(200, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"via worker"}]}}]}})");
  auto fake = installFake();
  struct Case {
    const char* mode;
    std::optional<std::string> url;
    std::optional<std::string> key;
    bool viaWorker;
  };
  for (const auto& c : {Case{"worker", worker.baseURL(), "wk", true}, Case{"worker", worker.baseURL(), "", false},
                        Case{"worker", std::nullopt, "wk", false}, Case{"direct", worker.baseURL(), "wk", false},
                        Case{"Worker", worker.baseURL(), "wk", false}}) {
    router_test::suite()->set("current_api_mode", c.mode);
    ScopedEnv url("CLOUDFLARE_WORKER_URL", c.url);
    ScopedEnv key("WORKER_API_KEY", c.key);
    auto started = start("p");
    started.probe.waitForCompletion();
    EXPECT_EQ(started.probe.answer(), c.viaWorker ? "via worker" : "model answer") << c.mode;
  }
  EXPECT_EQ(worker.requestCount(), 1u);
}

TEST_F(Router, NothingButTheCreationLineIsPrintedWhileDebugLoggingIsOff) {
  installFake();
  test_support::ConsoleCapture console;
  start("p").probe.waitForCompletion();
  BuiltInService::setShared(nullptr);
  start("p");
  EXPECT_EQ(console.lines(), std::vector<std::string>{
                                 "🚀 ExtensionLLMAPIService: Initialized with appGroupID: group.tesvarin.quorbel"});
}

TEST_F(Router, DiagnosticsDescribeTheRequest) {
  auto fake = installFake();
  fake->reply = std::optional<std::string>(std::string(101, 'z'));
  ScopedEnv debug("DEBUG_LOGGING", "true");
  service();
  test_support::ConsoleCapture console;
  start("four", "").probe.waitForCompletion();
  for (const char* line : {"🔗 ExtensionLLMAPIService: Starting Content Generation", "  🎯 Current Provider: gemini",
                           "    - Endpoint: ''", "    - Model: 'gemini-2.0-flash-lite'", "    - Has API Key: false",
                           "    - Timeout: 30.0s", "    - Max Tokens: 2048", "    - Prompt length: 4 chars",
                           "    - System prompt: provided (0 chars)", "  🔧 API Mode: direct",
                           "✅ ExtensionLLMAPIService: Firebase configured, using built-in Gemini API",
                           "🌐 ExtensionLLMAPIService: Sending request to Firebase Vertex AI...",
                           "✅ ExtensionLLMAPIService: Gemini API call successful", "  📊 Response length: 101 chars"})
    EXPECT_TRUE(console.contains(line)) << line << "\n" << console.joined();
  EXPECT_TRUE(console.contains("  📝 Response preview: " + std::string(100, 'z') + "..."));

  fake->reply = std::optional<std::string>(std::string(100, 'z'));
  test_support::ConsoleCapture second;
  start("p").probe.waitForCompletion();
  EXPECT_TRUE(second.contains("  📝 Response preview: " + std::string(100, 'z')));
}

}  // namespace
