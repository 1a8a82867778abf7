#include <chrono>

#include <gtest/gtest.h>

#include "foundation/Dispatch.hpp"
#include "test_doubles/DirectRoadFailures.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "foundation/Json.hpp"
#include "foundation/URLSession.hpp"
#include "SettingsTestSupport.hpp"
#include "settings/LLMAPIError.hpp"
#include "settings/LLMAPIService.hpp"
#include "test_support/ConnectionCounter.hpp"
#include "test_support/Gzip.hpp"
#include "test_support/HostlessURLs.hpp"
#include "test_support/LoopbackServer.hpp"

using mervo::LLMAPIError;
using mervo::LLMAPIService;
using mervo::LLMProvider;
using mervo::LLMProviderConfig;
using quorbel::LLMResult;
using test_doubles::VertexAIBackend;
using test_support::LoopbackServer;
using Json = platform::json::Value;
using namespace std::chrono_literals;

namespace {

constexpr const char* kBuiltInTestText =
    "You are a test assistant. Respond exactly with 'Connection successful!' and nothing else.";

struct Outcome {
  LLMResult result = std::unexpected(nullptr);
  int calls = 0;
  bool calledInsideTestConnection = false;
  bool onMainThread = false;
};

class ConnectionTest : public settings_test::SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    test_doubles::resetApps();
    config = std::make_unique<LLMProviderConfig>();
    service = std::make_unique<LLMAPIService>(mervo::EnvironmentConfig::shared(), *config);
  }

  // Runs one test to its end; every outcome must arrive once, later, on the
  // main thread.
  Outcome runTest() {
    auto outcome = std::make_shared<Outcome>();
    service->testConnection([outcome](LLMResult result) {
      outcome->result = std::move(result);
      outcome->onMainThread = platform::isMainThread();
      ++outcome->calls;
    });
    outcome->calledInsideTestConnection = outcome->calls > 0;
    EXPECT_TRUE(test_support::runMainQueueUntil([&] { return outcome->calls > 0; }));
    platform::RunLoop::runFor(30ms);  // a second delivery would show here
    EXPECT_EQ(outcome->calls, 1);
    EXPECT_FALSE(outcome->calledInsideTestConnection);
    EXPECT_TRUE(outcome->onMainThread);
    return *outcome;
  }

  void useProvider(LLMProvider provider, const std::string& endpoint, const std::string& key = "") {
    config->switchProvider(provider);
    config->endpoint = endpoint;
    config->apiKey = key;
  }

  static void expectError(const Outcome& outcome, LLMAPIError::Case c, const std::string& description) {
    ASSERT_FALSE(outcome.result.has_value()) << *outcome.result;
    EXPECT_TRUE(mervo::isLLMAPIError(outcome.result.error(), c)) << outcome.result.error()->localizedDescription();
    EXPECT_EQ(outcome.result.error()->localizedDescription(), description);
  }

  // The answer when one is expected, otherwise an error with that description.
  static void expectAnswerOrError(const Outcome& outcome, const std::optional<std::string>& answer,
                                  const std::string& description) {
    if (answer) {
      EXPECT_EQ(outcome.result, *answer);
    } else {
      ASSERT_FALSE(outcome.result.has_value());
      EXPECT_EQ(outcome.result.error()->localizedDescription(), description);
    }
  }

  std::unique_ptr<LLMProviderConfig> config;
  std::unique_ptr<LLMAPIService> service;
};

}  // namespace

TEST_F(ConnectionTest, OpenAISendsTheTestChatRequest) {
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"role":"assistant","content":"Connection successful!"}}]})");
  useProvider(LLMProvider::openai, server.baseURL() + "/v1", "sk-test");
  config->maxTokens = 300;

  auto outcome = runTest();
  EXPECT_EQ(outcome.result, "Connection successful!");
  auto request = server.lastRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.path, "/v1/chat/completions");
  EXPECT_EQ(request.header("Authorization"), "Bearer sk-test");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(Json::parse(request.body), Json::parse(R"({
    "model": "gpt-4o", "max_tokens": 300, "temperature": 0.7,
    "messages": [
      {"role": "system", "content": "You are a test assistant. Respond exactly as requested."},
      {"role": "user", "content": "Hello, please respond with 'Connection successful!'"}]})"));
}

TEST_F(ConnectionTest, OllamaSendsOneCombinedPromptWithoutAKey) {
  LoopbackServer server;
  server.reply(200, R"({"response":"","done":true})");
  useProvider(LLMProvider::ollama, server.baseURL());

  auto outcome = runTest();
  EXPECT_EQ(outcome.result, "");  // an empty answer is still an answer
  auto request = server.lastRequest();
  EXPECT_EQ(request.path, "/api/generate");
  EXPECT_FALSE(request.hasHeader("Authorization"));
  EXPECT_EQ(Json::parse(request.body), Json::parse(R"({
    "model": "llama3.2", "stream": false, "options": {"temperature": 0.7, "num_predict": 2048},
    "prompt": "You are a test assistant. Respond exactly as requested.\n\nUser: Hello, please respond with 'Connection successful!'\nAssistant:"})"));
}

TEST_F(ConnectionTest, CustomEndpointGetsTheCompletedPathAndNoKeyHeaderWithoutAKey) {
  LoopbackServer server;
  server.reply(200, R"({"text":"from text","response":"from response"})");
  useProvider(LLMProvider::custom, server.baseURL() + "/v1/");
  config->customModelName = "local-model";

  auto outcome = runTest();
  EXPECT_EQ(outcome.result, "from response");  // "response" is tried before "text"
  auto request = server.lastRequest();
  EXPECT_EQ(request.path, "/v1/chat/completions");
  EXPECT_FALSE(request.hasHeader("Authorization"));
  auto body = Json::parse(request.body);
  EXPECT_EQ(body["model"], "local-model");
  EXPECT_EQ(body["messages"].size(), 2u);
}

TEST_F(ConnectionTest, RepliesAreReadPerProvider) {
  struct Case {
    LLMProvider provider;
    int status;
    std::string body;
    std::optional<std::string> answer;
    std::string error;  // the description, when there is no answer
  } cases[] = {
      {LLMProvider::openai, 201, R"({"choices":[{"message":{"content":"hi"}}]})", {}, "HTTP error: 201"},
      {LLMProvider::openai, 204, "", {}, "HTTP error: 204"},
      {LLMProvider::openai, 500, "oops", {}, "HTTP error: 500"},
      {LLMProvider::openai, 200, R"({"choices":[]})", {}, "Invalid response format"},
      {LLMProvider::openai, 200, R"({"choices":[{"message":{"content":7}}]})", {}, "Invalid response format"},
      {LLMProvider::ollama, 200, R"({"error":"model not found"})", {}, "Invalid response format"},
      {LLMProvider::ollama, 200, R"(["response"])", {}, "Invalid response format"},
      {LLMProvider::custom, 200, R"({"choices":[{"text":"alt"}]})", "alt", ""},
      {LLMProvider::custom, 200, R"({"content":"c","text":"t"})", "c", ""},
      {LLMProvider::custom, 200, R"({"choices":[{"message":{"content":"chat"}}],"response":"r"})", "chat", ""},
      {LLMProvider::custom, 200, R"([{"text":"t"}])", {}, "Invalid response format"},
      {LLMProvider::custom, 200, R"({"answer":"a"})", {}, "Invalid response format"},
  };
  LoopbackServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(mervo::rawValue(c.provider)) + " " + c.body);
    server.reply(c.status, c.body);
    useProvider(c.provider, server.baseURL(), "k");
    config->customModelName = "m";
    expectAnswerOrError(runTest(), c.answer, c.error);
  }
}

TEST_F(ConnectionTest, ABodyThatIsNotJSONGivesTheReadersErrorUnchanged) {
  LoopbackServer server;
  for (auto provider : {LLMProvider::openai, LLMProvider::custom}) {
    for (std::string body : {"<html>Welcome</html>", ""}) {
      server.reply({200, body, "text/html", {}});
      useProvider(provider, server.baseURL(), "k");
      config->customModelName = "m";
      auto outcome = runTest();
      ASSERT_FALSE(outcome.result.has_value());
      EXPECT_EQ(outcome.result.error()->domain(), platform::json::kErrorDomain);
      EXPECT_EQ(outcome.result.error()->code(), platform::json::kReadCorruptCode);
    }
  }
}

TEST_F(ConnectionTest, AReplyThatInflatesPastTheSizeLimitFailsNamingIt) {
  LoopbackServer server;
  server.reply({200, test_support::gzippedZeros(65 * 1024 * 1024), "application/octet-stream",
                {{"Content-Encoding", "gzip"}}});
  useProvider(LLMProvider::ollama, server.baseURL());
  auto outcome = runTest();
  ASSERT_FALSE(outcome.result.has_value());
  EXPECT_EQ(outcome.result.error()->code(), platform::URLErrorDataLengthExceedsMaximum);
  EXPECT_EQ(outcome.result.error()->localizedDescription(), "The reply is larger than the limit of 64 MB.");
}

TEST_F(ConnectionTest, TransportErrorsArePassedOnUnchanged) {
  useProvider(LLMProvider::openai, "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()), "k");
  auto outcome = runTest();
  ASSERT_FALSE(outcome.result.has_value());
  EXPECT_EQ(outcome.result.error()->domain(), platform::kURLErrorDomain);
  EXPECT_EQ(outcome.result.error()->code(), platform::URLErrorCannotConnectToHost);
}

TEST_F(ConnectionTest, OnlyHTTPAndHTTPSEndpointsAreEverSent) {
  LoopbackServer server;
  auto hostAndPort = "127.0.0.1:" + std::to_string(server.port());
  for (auto provider : {LLMProvider::openai, LLMProvider::ollama, LLMProvider::custom}) {
    for (std::string scheme : {"ftp", "gopher", "ws"}) {
      SCOPED_TRACE(std::string(mervo::rawValue(provider)) + " " + scheme);
      useProvider(provider, scheme + "://" + hostAndPort + "/v1", "k");
      config->customModelName = "m";
      test_support::ConsoleCapture console;
      auto outcome = runTest();
      ASSERT_FALSE(outcome.result.has_value());
      EXPECT_TRUE(mervo::isLLMAPIError(outcome.result.error(), LLMAPIError::Case::configurationError));
      EXPECT_NE(outcome.result.error()->localizedDescription().find("must begin with http:// or https://"),
                std::string::npos);
      EXPECT_NE(console.joined().find("❌ LLMAPIService: Unsupported URL scheme - endpoint: '" + scheme + "://"),
                std::string::npos);
    }
  }
  // The worker proxy's address is held to the same rule.
  setEnv("WORKER_API_KEY", "w");
  setEnv("CLOUDFLARE_WORKER_URL", "ftp://" + hostAndPort);
  config->switchProvider(LLMProvider::gemini);
  auto outcome = runTest();
  EXPECT_TRUE(mervo::isLLMAPIError(outcome.result.error(), LLMAPIError::Case::configurationError));
  EXPECT_EQ(server.requestCount(), 0u);

  // The scheme is not case-sensitive.
  server.reply(200, R"({"response":"ok"})");
  useProvider(LLMProvider::ollama, "HTTP://" + hostAndPort);
  EXPECT_EQ(runTest().result, "ok");
}

// An endpoint without a scheme, or of just a scheme, gets a sentence that
// says what is wrong (not the URL session's "bad URL"), and nothing is sent.
TEST_F(ConnectionTest, UnusableEndpointsAreToldWhatIsWrong) {
  struct Case {
    std::string endpoint;
    const char* says;
    const char* console;
  } cases[] = {
      {"api.openai.com/v1", "' must begin with http:// or https://", "Unsupported URL scheme"},
      {"localhost:11434", "' must begin with http:// or https://", "Unsupported URL scheme"},
      {"", "' must begin with http:// or https://", "Unsupported URL scheme"},
      {"not a url", "' must begin with http:// or https://", "Unsupported URL scheme"},
      {"http://", "' names no host", "URL has no host"},
      {"https://", "' names no host", "URL has no host"},
      {"HTTP://", "' names no host", "URL has no host"},
  };
  for (auto provider : {LLMProvider::openai, LLMProvider::ollama, LLMProvider::custom}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(mervo::rawValue(provider)) + " '" + c.endpoint + "'");
      useProvider(provider, c.endpoint, "k");
      config->customModelName = "m";
      test_support::ConsoleCapture console;
      auto outcome = runTest();
      ASSERT_FALSE(outcome.result.has_value());
      EXPECT_TRUE(mervo::isLLMAPIError(outcome.result.error(), LLMAPIError::Case::configurationError));
      const auto description = outcome.result.error()->localizedDescription();
      EXPECT_TRUE(description.starts_with("Configuration error: The endpoint '")) << description;
      EXPECT_TRUE(description.ends_with(c.says)) << description;
      EXPECT_NE(console.joined().find(std::string("❌ LLMAPIService: ") + c.console + " - endpoint: '"), std::string::npos);
    }
  }
}

TEST_F(ConnectionTest, FailuresFoundBeforeSendingStillArriveLater) {
  test_support::ConsoleCapture console;
  useProvider(LLMProvider::openai, "http://exa mple.com", "k");
  expectError(runTest(), LLMAPIError::Case::invalidRequest, "Failed to create request");
  EXPECT_TRUE(console.contains("❌ LLMAPIService: Invalid URL - endpoint: 'http://exa mple.com/chat/completions'"));

  // A model name that cannot be written as JSON: the builder gives no request.
  for (auto provider : {LLMProvider::openai, LLMProvider::ollama, LLMProvider::custom}) {
    useProvider(provider, "http://127.0.0.1:1", "k");
    config->selectedModel = "\xff";
    config->customModelName = "\xff";
    expectError(runTest(), LLMAPIError::Case::invalidRequest, "Failed to create request");
  }
}

class HostlessEndpoint : public ConnectionTest, public ::testing::WithParamInterface<test_support::HostlessURLForm> {
 protected:
  // Refused before anything is sent: unparsable text as an invalid request,
  // a URL without a host in a sentence that says so.
  void expectRefused(const Outcome& outcome) {
    ASSERT_FALSE(outcome.result.has_value());
    if (GetParam().parses) {
      EXPECT_TRUE(mervo::isLLMAPIError(outcome.result.error(), LLMAPIError::Case::configurationError));
      EXPECT_NE(outcome.result.error()->localizedDescription().find("' names no host"), std::string::npos)
          << outcome.result.error()->localizedDescription();
    } else {
      EXPECT_TRUE(mervo::isLLMAPIError(outcome.result.error(), LLMAPIError::Case::invalidRequest));
    }
  }
};

TEST_P(HostlessEndpoint, ReachesNoServer) {
  test_support::ConnectionCounter listener;
  const std::string endpoint = GetParam().url(listener.port());
  for (auto provider : {LLMProvider::openai, LLMProvider::ollama, LLMProvider::custom}) {
    SCOPED_TRACE(std::string(mervo::rawValue(provider)) + " " + endpoint);
    useProvider(provider, endpoint, "sk-secret");
    config->customModelName = "m";
    expectRefused(runTest());
  }
  setEnv("WORKER_API_KEY", "w-key");
  setEnv("CLOUDFLARE_WORKER_URL", endpoint);
  config->switchProvider(LLMProvider::gemini);
  expectRefused(runTest());
  EXPECT_EQ(listener.acceptedConnections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, HostlessEndpoint, ::testing::ValuesIn(test_support::hostlessURLForms()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectionTest, WorkerProxyIsTestedWheneverItIsConfigured) {
  LoopbackServer server;
  server.reply(200, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"Hi from worker"}]}}]}})");
  setEnv("WORKER_API_KEY", "w-key");
  setEnv("CLOUDFLARE_WORKER_URL", server.baseURL());
  // No default app: the worker does not need one.

  auto outcome = runTest();
  EXPECT_EQ(outcome.result, "Hi from worker");
  auto request = server.lastRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.path, "/google-api");
  EXPECT_EQ(request.header("Authorization"), "Bearer w-key");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(Json::parse(request.body), Json::parse(R"({
    "endpoint": "generateContent", "model": "gemini-2.0-flash-lite",
    "data": {"contents": [{"parts": [{"text": "You are a test assistant. Respond exactly with 'Connection successful!' and nothing else."}]}],
             "generationConfig": {"maxOutputTokens": 100, "temperature": 0.1}}})"));
}

TEST_F(ConnectionTest, WorkerRepliesAreReadStrictly) {
  struct Case {
    int status;
    std::string body;
    std::optional<std::string> answer;
    std::string error;
  } cases[] = {
      {200, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":""}]}}]}})", "", ""},
      {201, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"x"}]}}]}})", {}, "HTTP error: 201"},
      {200, R"({"success":false,"error":"quota","data":{"candidates":[{"content":{"parts":[{"text":"x"}]}}]}})", {},
       "Invalid response format"},
      {200, R"({"success":"true","data":{"candidates":[{"content":{"parts":[{"text":"x"}]}}]}})", {},
       "Invalid response format"},
      {200, R"({"success":true,"data":{"candidates":[]}})", {}, "Invalid response format"},
  };
  LoopbackServer server;
  setEnv("WORKER_API_KEY", "w-key");
  setEnv("CLOUDFLARE_WORKER_URL", server.baseURL());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    server.reply(c.status, c.body);
    expectAnswerOrError(runTest(), c.answer, c.error);
  }
}

TEST_F(ConnectionTest, BuiltInServiceWithoutTheWorkerChecksBeforeCallingTheClient) {
  VertexAIBackend backend;
  // No default app.
  setEnv("GOOGLE_API_KEY", "g");
  setEnv("FIREBASE_PROJECT_ID", "p");
  expectError(runTest(), LLMAPIError::Case::firebaseNotConfigured, "Firebase is not configured properly");

  // A default app, but the deployment lacks the project.
  test_doubles::configureDefaultAppFromShippedOptions();
  setEnv("FIREBASE_PROJECT_ID", std::nullopt);
  expectError(runTest(), LLMAPIError::Case::serviceNotAvailable,
              "Service not available: Built-in Gemini service is not configured");

  // What the client cannot work with is a configuration error with the
  // client's text, not a crash.
  setEnv("FIREBASE_PROJECT_ID", "p");
  const std::string invalid = "\" specified; see https://firebase.google.com/docs/vertex-ai/models for a list of "
                              "available models.";
  struct Case {
    const char* missingOptionsKey;
    std::string model;
    std::string message;
  } cases[] = {
      {"PROJECT_ID", "gemini-2.0-flash-lite",
       "The Firebase app named \"__FIRAPP_DEFAULT\" has no project ID in its configuration."},
      {"API_KEY", "gemini-2.0-flash-lite",
       "The Firebase app named \"__FIRAPP_DEFAULT\" has no API key in its configuration."},
      {nullptr, "gemini 2.0", "Invalid model name \"gemini 2.0" + invalid},
      {nullptr, "models/gemini", "Invalid model name \"models/gemini" + invalid},
      {nullptr, "gemini-fl\u00E4sh", "Invalid model name \"gemini-fl\u00E4sh" + invalid},
      {nullptr, "gemini\x01pro", "Invalid model name \"gemini\x01pro" + invalid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    if (c.missingOptionsKey) test_doubles::configureDefaultAppWithout(c.missingOptionsKey);
    else test_doubles::configureDefaultAppFromShippedOptions();
    setEnv("GEMINI_MODEL", c.model);
    expectError(runTest(), LLMAPIError::Case::configurationError, "Configuration error: " + c.message);
  }
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

TEST_F(ConnectionTest, BuiltInServiceDirectTestSendsTheTestText) {
  VertexAIBackend backend;
  backend.answer("Connection successful!");
  test_doubles::configureDefaultAppFromShippedOptions();
  setEnv("GOOGLE_API_KEY", "g");
  setEnv("FIREBASE_PROJECT_ID", "p");
  setEnv("GEMINI_MODEL", "gemini-test");

  EXPECT_EQ(runTest().result, "Connection successful!");
  ASSERT_EQ(backend.server.requestCount(), 1u);
  auto request = backend.server.requests().back();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, VertexAIBackend::generatePath("gemini-test"));
  // The client's fields in the order it sets them, among those libcurl adds
  // (this test bundle's Info list has no version).
  std::vector<std::pair<std::string, std::string>> clientFields;
  for (const auto& field : request.headers)
    if (field.first.starts_with("x-goog-") || field.first.starts_with("X-Firebase-") || field.first == "Content-Type")
      clientFields.push_back(field);
  EXPECT_EQ(clientFields, (std::vector<std::pair<std::string, std::string>>{
                              {"x-goog-api-key", test_doubles::kShippedAPIKey},
                              {"x-goog-api-client", "gl-swift/5 fire/11.12.0"},
                              {"Content-Type", "application/json"},
                              {"X-Firebase-AppId", test_doubles::kShippedAppID}}));
  EXPECT_EQ(request.body, std::string(R"({"contents":[{"role":"user","parts":[{"text":")") + kBuiltInTestText +
                              R"("}]}]})");

  backend.server.reply(200, R"({"candidates":[]})");
  expectError(runTest(), LLMAPIError::Case::emptyResponse, "Received empty response from API");

  backend.server.reply(503, R"({"error":{"code":503,"message":"The model is overloaded.","status":"UNAVAILABLE"}})");
  auto outcome = runTest();
  ASSERT_FALSE(outcome.result.has_value());
  EXPECT_EQ(outcome.result.error()->domain(), "FirebaseVertexAI.GenerateContentError");
  EXPECT_EQ(outcome.result.error()->localizedDescription(),
            "The model is overloaded. (com.google.firebase.vertexai.BackendError - HTTP 503 UNAVAILABLE)");
}

// The direct test's failures as the client says them: the AI Models screen
// shows this text after "❌ Connection failed!\n\nError: ".
class DirectTestFailure : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    test_doubles::configureDefaultAppFromShippedOptions();
    setEnv("GOOGLE_API_KEY", "g");
    setEnv("FIREBASE_PROJECT_ID", "p");
  }
  void TearDown() override {
    test_doubles::resetApps();
    ConnectionTest::TearDown();
  }
  // The text of the error the test delivered.
  std::string failure() {
    auto outcome = runTest();
    if (outcome.result) return "answered " + *outcome.result;
    return outcome.result.error()->localizedDescription();
  }
};

class FailingReplyTest : public DirectTestFailure, public ::testing::WithParamInterface<test_doubles::FailingReply> {};

TEST_P(FailingReplyTest, IsDeliveredAsTheClientSaysIt) {
  const auto& c = GetParam();
  VertexAIBackend backend;
  backend.server.reply(c.status, c.body, c.contentType);
  EXPECT_EQ(failure(), c.shown);
  EXPECT_EQ(backend.server.requestCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Replies, FailingReplyTest, ::testing::ValuesIn(test_doubles::failingReplies()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirectTestFailure, ABackendThatCannotBeReachedOrNamedIsDeliveredAsTheClientSaysIt) {
  for (const auto& c : test_doubles::failingBaseAddresses()) {
    SCOPED_TRACE(c.name);
    setEnv("VERTEXAI_BASE_URL", c.value);
    EXPECT_EQ(failure(), c.shown);
  }
}

TEST_F(ConnectionTest, DebugDumpMasksTheAuthorizationValue) {
  setEnv("DEBUG_LOGGING", "TRUE");
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"content":"ok"}}]})");
  struct Case {
    std::string key, shown;
  } cases[] = {{"", "    Authorization: ***"}, {"sk-1234567890", "    Authorization: Bearer sk-..."}};
  for (const auto& c : cases) {
    useProvider(LLMProvider::openai, server.baseURL(), c.key);
    test_support::ConsoleCapture console;
    runTest();
    EXPECT_TRUE(console.contains(c.shown)) << console.joined();
    EXPECT_TRUE(console.contains("🔗 LLMAPIService: Starting Connection Test"));
    EXPECT_TRUE(console.contains("  🎯 Current Provider: OpenAI"));
    EXPECT_TRUE(console.contains("    - Timeout: 30.0s"));
    EXPECT_TRUE(console.contains("  📊 Status Code: 200"));
  }
}

TEST_F(ConnectionTest, EndpointPasswordsAreMaskedInEveryLineAndError) {
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"content":"ok"}}]})");
  const std::string hostAndPort = "127.0.0.1:" + std::to_string(server.port());
  for (const std::string& endpoint : {"http://user:secret@" + hostAndPort, "ftp://user:secret@" + hostAndPort,
                                      "http:/user:secret@" + hostAndPort, "http://secretToken@" + hostAndPort}) {
    for (const char* debug : {"false", "true"}) {
      SCOPED_TRACE(endpoint + " debug " + debug);
      setEnv("DEBUG_LOGGING", debug);
      useProvider(LLMProvider::openai, endpoint, "k");
      test_support::ConsoleCapture console;
      auto outcome = runTest();
      EXPECT_EQ(console.joined().find("secret"), std::string::npos) << console.joined();
      if (!outcome.result) {
        EXPECT_EQ(outcome.result.error()->localizedDescription().find("secret"), std::string::npos);
      }
    }
  }
}

TEST_F(ConnectionTest, CustomReplyDiagnosticsNameTheShapeOrShowASampleField) {
  setEnv("DEBUG_LOGGING", "true");
  LoopbackServer server;
  struct Case {
    std::string body, line;
  } cases[] = {
      {R"({"content":"c"})", "✅ LLMAPIService: Parsed 'content' field"},
      {R"({"choices":[{"text":"t"}]})", "✅ LLMAPIService: Parsed alternative OpenAI format"},
      // A text shows as itself, as the extension's console shows it.
      {R"({"answer":"hidden"})", "  📄 Sample field: answer = hidden"},
      {R"({"answer":[1,"two"]})", "  📄 Sample field: answer = [1,\"two\"]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    server.reply(200, c.body);
    useProvider(LLMProvider::custom, server.baseURL(), "k");
    config->customModelName = "m";
    test_support::ConsoleCapture console;
    runTest();
    EXPECT_TRUE(console.contains(c.line)) << console.joined();
  }
}
