#include <chrono>

#include <gtest/gtest.h>

#include "test_doubles/FakeBuiltInService.hpp"
#include "foundation/Json.hpp"
#include "foundation/URLSession.hpp"
#include "SettingsTestSupport.hpp"
#include "settings/LLMAPIError.hpp"
#include "settings/LLMAPIService.hpp"
#include "test_support/LoopbackServer.hpp"

using mervo::LLMAPIError;
using mervo::LLMAPIService;
using mervo::LLMProvider;
using mervo::LLMProviderConfig;
using quorbel::LLMResult;
using test_doubles::FakeBuiltInService;
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
    builtIn = std::make_shared<FakeBuiltInService>();
    builtIn->reply = std::optional<std::string>("Connection successful!");
    quorbel::BuiltInService::setShared(builtIn);
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

  std::shared_ptr<FakeBuiltInService> builtIn;
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

TEST_F(ConnectionTest, FailuresFoundBeforeSendingStillArriveLater) {
  test_support::ConsoleCapture console;
  useProvider(LLMProvider::openai, "not a url", "k");
  expectError(runTest(), LLMAPIError::Case::invalidRequest, "Failed to create request");
  EXPECT_TRUE(console.contains("❌ LLMAPIService: Invalid URL - endpoint: 'not a url/chat/completions'"));

  // A model name that cannot be written as JSON: the builder gives no request.
  for (auto provider : {LLMProvider::openai, LLMProvider::ollama, LLMProvider::custom}) {
    useProvider(provider, "http://127.0.0.1:1", "k");
    config->selectedModel = "\xff";
    config->customModelName = "\xff";
    expectError(runTest(), LLMAPIError::Case::invalidRequest, "Failed to create request");
  }
}

TEST_F(ConnectionTest, WorkerProxyIsTestedWheneverItIsConfigured) {
  LoopbackServer server;
  server.reply(200, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"Hi from worker"}]}}]}})");
  setEnv("WORKER_API_KEY", "w-key");
  setEnv("CLOUDFLARE_WORKER_URL", server.baseURL());
  builtIn->options.reset();  // no default app: the worker does not need one

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
  EXPECT_TRUE(builtIn->calls().empty());
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
  // No default app.
  builtIn->options.reset();
  setEnv("GOOGLE_API_KEY", "g");
  setEnv("FIREBASE_PROJECT_ID", "p");
  expectError(runTest(), LLMAPIError::Case::firebaseNotConfigured, "Firebase is not configured properly");

  // A default app, but the deployment lacks the project.
  builtIn->options = FakeBuiltInService::AppOptions{"project", "api-key", "app-id"};
  setEnv("FIREBASE_PROJECT_ID", std::nullopt);
  expectError(runTest(), LLMAPIError::Case::serviceNotAvailable,
              "Service not available: Built-in Gemini service is not configured");

  // What the client cannot work with is a configuration error, not a crash.
  setEnv("FIREBASE_PROJECT_ID", "p");
  struct Case {
    FakeBuiltInService::AppOptions options;
    std::string model;
  } cases[] = {
      {{"", "api-key", "app-id"}, "gemini-2.0-flash-lite"},
      {{"project", "", "app-id"}, "gemini-2.0-flash-lite"},
      {{"project", "api-key", "app-id"}, "gemini 2.0"},
      {{"project", "api-key", "app-id"}, "models/gemini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    builtIn->options = c.options;
    setEnv("GEMINI_MODEL", c.model);
    auto problem = quorbel::builtInServiceProblem(*builtIn, c.model);
    ASSERT_TRUE(problem);
    expectError(runTest(), LLMAPIError::Case::configurationError, "Configuration error: " + *problem);
  }
  EXPECT_TRUE(builtIn->calls().empty());
}

TEST_F(ConnectionTest, BuiltInServiceDirectCallRunsOffTheMainThread) {
  setEnv("GOOGLE_API_KEY", "g");
  setEnv("FIREBASE_PROJECT_ID", "p");
  setEnv("GEMINI_MODEL", "gemini-test");

  EXPECT_EQ(runTest().result, "Connection successful!");
  auto calls = builtIn->calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].model, "gemini-test");
  EXPECT_EQ(calls[0].prompt, kBuiltInTestText);
  EXPECT_EQ(calls[0].timeout, 180);
  EXPECT_FALSE(calls[0].onMainThread);

  builtIn->reply = std::optional<std::string>();
  expectError(runTest(), LLMAPIError::Case::emptyResponse, "Received empty response from API");

  auto clientError = platform::makeError("GenerateContentError", 2, "The model is overloaded.");
  builtIn->reply = std::unexpected(clientError);
  auto outcome = runTest();
  ASSERT_FALSE(outcome.result.has_value());
  EXPECT_EQ(outcome.result.error(), clientError);
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
  for (const std::string& endpoint : {"http://user:secret@" + hostAndPort, "ftp://user:secret@" + hostAndPort}) {
    for (const char* debug : {"false", "true"}) {
      SCOPED_TRACE(endpoint + " debug " + debug);
      setEnv("DEBUG_LOGGING", debug);
      useProvider(LLMProvider::openai, endpoint, "k");
      test_support::ConsoleCapture console;
      auto outcome = runTest();
      EXPECT_EQ(console.joined().find("secret"), std::string::npos) << console.joined();
      if (!outcome.result) EXPECT_EQ(outcome.result.error()->localizedDescription().find("secret"), std::string::npos);
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
