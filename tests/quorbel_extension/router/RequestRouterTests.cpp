// The route operation and the built-in service's direct road.
#include <gtest/gtest.h>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "RouterTestSupport.hpp"
#include "foundation/Json.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/LoopbackServer.hpp"

using quorbel::ExtensionLLMAPIService;
using router_test::CompletionProbe;
using router_test::RouterTest;
using test_doubles::VertexAIBackend;
using test_support::ScopedEnv;
using ErrorCase = quorbel::ExtensionLLMAPIError::Case;

namespace {

ExtensionLLMAPIService& service() { return ExtensionLLMAPIService::shared(); }

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

// The text of the one user part a generate request carried.
std::string promptSent(const test_support::ScriptedHTTPServer::Request& request) {
  auto body = platform::json::parse(request.body);
  if (!body) return "<not JSON>";
  return (*body)["contents"][0]["parts"][0]["text"].get<std::string>();
}

using Router = RouterTest;

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

TEST_F(Router, WithoutADefaultAppTheDirectPathReportsNotConfigured) {
  auto started = start("p");
  EXPECT_TRUE(started.completedBeforeReturn);
  EXPECT_EQ(started.probe.calls(), 1);
  EXPECT_TRUE(started.probe.failedWith(ErrorCase::firebaseNotConfigured));
  EXPECT_EQ(started.probe.error()->localizedDescription(), "Firebase is not configured properly");
}

// What the client refuses before anything is sent reaches the completion at
// once, as the router's own error with the client's text.
struct RefusedCase {
  const char* name;
  const char* missingOptionsKey;  // null: the shipped options, whole
  std::string model;
  std::string clientMessage;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedByTheClient : public Router, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedByTheClient, CompletesBeforeReturningWithTheClientsText) {
  const auto& c = GetParam();
  VertexAIBackend backend;
  if (c.missingOptionsKey) test_doubles::configureDefaultAppWithout(c.missingOptionsKey);
  else test_doubles::configureDefaultAppFromShippedOptions();
  ScopedEnv model("GEMINI_MODEL", c.model);

  auto started = start("p");
  EXPECT_TRUE(started.completedBeforeReturn);
  EXPECT_TRUE(started.probe.calledOnMainThread());
  ASSERT_TRUE(started.probe.failedWith(ErrorCase::serviceNotAvailable));
  EXPECT_EQ(started.probe.error()->localizedDescription(), "Service not available: " + c.clientMessage);
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

const std::string kModelsLink = "https://firebase.google.com/docs/vertex-ai/models";
std::string invalidModel(const std::string& name) {
  return "Invalid model name \"" + name + "\" specified; see " + kModelsLink + " for a list of available models.";
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedByTheClient,
    ::testing::Values(
        RefusedCase{"NoProjectID", "PROJECT_ID", "gemini-2.0-flash-lite",
                    "The Firebase app named \"__FIRAPP_DEFAULT\" has no project ID in its configuration."},
        RefusedCase{"NoAPIKey", "API_KEY", "gemini-2.0-flash-lite",
                    "The Firebase app named \"__FIRAPP_DEFAULT\" has no API key in its configuration."},
        RefusedCase{"ModelWithSlash", nullptr, "models/gemini-pro", invalidModel("models/gemini-pro")},
        RefusedCase{"ModelWithBlank", nullptr, "gemini pro", invalidModel("gemini pro")},
        RefusedCase{"ModelWithTab", nullptr, "gemini\tpro", invalidModel("gemini\tpro")},
        RefusedCase{"ModelWithNoBreakSpace", nullptr, "gemini\u00A0pro", invalidModel("gemini\u00A0pro")},
        RefusedCase{"ModelWithLineSeparator", nullptr, "gemini\u2028pro", invalidModel("gemini\u2028pro")},
        RefusedCase{"ModelWithQuery", nullptr, "gemini-pro?alt=x", invalidModel("gemini-pro?alt=x")},
        RefusedCase{"ModelWithFragment", nullptr, "gemini#pro", invalidModel("gemini#pro")},
        RefusedCase{"ModelWithPercent", nullptr, "gemini%2Fpro", invalidModel("gemini%2Fpro")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Router, DirectPathSendsWithoutBlockingAndCompletesOnTheMainThread) {
  VertexAIBackend backend;
  backend.answer("Dear Anna");
  test_doubles::configureDefaultAppFromShippedOptions();
  auto started = start("Write to Anna");
  EXPECT_FALSE(started.completedBeforeReturn);
  started.probe.waitForCompletion();
  EXPECT_EQ(started.probe.answer(), "Dear Anna");
  EXPECT_TRUE(started.probe.calledOnMainThread());
  ASSERT_EQ(backend.server.requestCount(), 1u);
  auto request = backend.server.requests().back();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, VertexAIBackend::generatePath("gemini-2.0-flash-lite"));
  EXPECT_EQ(request.body, R"({"contents":[{"role":"user","parts":[{"text":"Write to Anna"}]}]})");
}

TEST_F(Router, DirectPathJoinsOnlyANonEmptySystemPrompt) {
  VertexAIBackend backend;
  backend.answer("ok");
  test_doubles::configureDefaultAppFromShippedOptions();
  for (auto [system, expected] : std::vector<std::pair<std::optional<std::string>, std::string>>{
           {std::nullopt, "P"}, {"", "P"}, {"S", "S\n\nUser: P\nAssistant:"}}) {
    auto started = start("P", system);
    started.probe.waitForCompletion();
    EXPECT_EQ(promptSent(backend.server.requests().back()), expected);
  }
}

TEST_F(Router, DirectPathResults) {
  VertexAIBackend backend;
  test_doubles::configureDefaultAppFromShippedOptions();
  struct Case {
    const char* name;
    int status;
    std::string body;
    std::function<void(const CompletionProbe&)> check;
  };
  std::vector<Case> cases{
      {"EmptyText", 200, test_doubles::responseWithText(""), [](const auto& p) { EXPECT_EQ(p.answer(), ""); }},
      {"NoCandidates", 200, R"({"candidates":[]})",
       [](const auto& p) { EXPECT_TRUE(p.failedWith(ErrorCase::emptyResponse)); }},
      {"NoTextPart", 200, R"({"candidates":[{"content":{"parts":[{"functionCall":{"name":"f"}}]}}]})",
       [](const auto& p) { EXPECT_TRUE(p.failedWith(ErrorCase::emptyResponse)); }},
      {"ClientErrorUnchanged", 500, R"({"error":{"code":500,"message":"boom","status":"INTERNAL"}})",
       [](const auto& p) {
         ASSERT_TRUE(p.error());
         EXPECT_EQ(p.error()->domain(), firebase::vertexai::GenerateContentError::kDomain);
       }},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    backend.server.reply(c.status, c.body);
    auto started = start("p");
    started.probe.waitForCompletion();
    EXPECT_TRUE(started.probe.calledOnMainThread());
    c.check(started.probe);
  }
}

TEST_F(Router, WorkerIsUsedOnlyInWorkerModeWithBothValuesSet) {
  test_support::LoopbackServer worker;
  worker.reply(200, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"via worker"}]}}]}})");
  VertexAIBackend backend;
  backend.answer("model answer");
  test_doubles::configureDefaultAppFromShippedOptions();
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
  VertexAIBackend backend;
  backend.answer("model answer");
  test_doubles::configureDefaultAppFromShippedOptions();
  test_support::ConsoleCapture console;
  start("p").probe.waitForCompletion();
  test_doubles::resetApps();
  start("p");
  auto lines = console.lines();
  // The service announces itself when an earlier test has not made it yet.
  std::erase(lines, "🚀 ExtensionLLMAPIService: Initialized with appGroupID: group.tesvarin.quorbel");
  EXPECT_EQ(lines, std::vector<std::string>{});
}

TEST_F(Router, DiagnosticsDescribeTheRequest) {
  VertexAIBackend backend;
  backend.answer(std::string(101, 'z'));
  test_doubles::configureDefaultAppFromShippedOptions();
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

  backend.answer(std::string(100, 'z'));
  test_support::ConsoleCapture second;
  start("p").probe.waitForCompletion();
  EXPECT_TRUE(second.contains("  📝 Response preview: " + std::string(100, 'z')));
}

}  // namespace
