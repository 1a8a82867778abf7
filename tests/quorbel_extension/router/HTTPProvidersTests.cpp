// OpenAI, Ollama and custom endpoints against loopback servers, through the
// route operation and the real URL session.
#include <future>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "test_support/Gzip.hpp"
#include "test_support/LoopbackServer.hpp"

using platform::json::Value;
using quorbel::ExtensionLLMAPIService;
using router_test::CompletionProbe;
using router_test::Outcome;
using router_test::RouterTest;
using test_support::LoopbackServer;
using test_support::ScopedEnv;
using ErrorCase = quorbel::ExtensionLLMAPIError::Case;

namespace {

void configure(const std::string& provider, const std::string& endpoint, const std::string& key = "") {
  auto shared = router_test::suite();
  shared->set("llm_provider", provider);
  shared->set("llm_endpoint", endpoint);
  shared->set("llm_api_key", key);
  shared->set("llm_model", "listed-model");
  shared->set("llm_custom_model", "custom-model");
}

CompletionProbe send(const std::string& prompt, const std::optional<std::string>& systemPrompt = std::nullopt) {
  CompletionProbe probe;
  ExtensionLLMAPIService::shared().generateContent(prompt, systemPrompt, probe.completion());
  probe.waitForCompletion();
  return probe;
}

Value chatBody(const std::string& model, Value messages, std::int64_t maxTokens) {
  return Value{{"model", model}, {"messages", std::move(messages)}, {"max_tokens", maxTokens}, {"temperature", 0.7}};
}

Value message(const std::string& role, const std::string& content) {
  return Value{{"role", role}, {"content", content}};
}

// --- What goes on the wire ------------------------------------------------------

struct RequestCase {
  const char* name;
  const char* provider;
  std::string endpointSuffix;  // appended to the server's base URL
  std::string apiKey;
  std::optional<std::string> systemPrompt;
  std::optional<std::int64_t> storedMaxTokens;
  std::string expectedPath;
  std::optional<std::string> expectedAuthorization;  // nullopt: no header at all
  Value expectedBody;
};
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class ProviderRequest : public RouterTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(ProviderRequest, SendsExactlyThisRequest) {
  const auto& c = GetParam();
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"content":"ok"}}],"response":"ok"})");
  configure(c.provider, server.baseURL() + c.endpointSuffix, c.apiKey);
  if (c.storedMaxTokens) router_test::suite()->set("llm_max_tokens", *c.storedMaxTokens);

  auto probe = send("Reply to Anna", c.systemPrompt);
  EXPECT_EQ(probe.answer(), "ok");
  EXPECT_TRUE(probe.calledOnMainThread());

  ASSERT_EQ(server.requestCount(), 1u);
  auto request = server.lastRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.path, c.expectedPath);
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(request.hasHeader("Authorization"), c.expectedAuthorization.has_value());
  // A header value's trailing blank does not survive the wire, so "Bearer "
  // arrives as "Bearer".
  if (c.expectedAuthorization) {
    EXPECT_EQ(request.header("Authorization"), *c.expectedAuthorization);
  }
  // Besides these two, only what the transport itself adds (and the test
  // server's notes on the connection).
  const std::set<std::string> allowed{"content-type", "authorization", "host",        "accept",     "accept-encoding",
                                      "content-length", "remote_addr", "remote_port", "local_addr", "local_port"};
  for (const auto& [name, value] : request.headers) EXPECT_TRUE(allowed.contains(name)) << name << ": " << value;
  EXPECT_EQ(router_test::jsonOf(request.body), c.expectedBody);
}

const std::string kPrompt = "Reply to Anna";

INSTANTIATE_TEST_SUITE_P(
    Table, ProviderRequest,
    ::testing::Values(
        RequestCase{"OpenAIWithoutSystemPrompt", "openai", "/v1", "sk-123", std::nullopt, std::nullopt,
                    "/v1/chat/completions", "Bearer sk-123",
                    chatBody("listed-model", Value::array({message("user", kPrompt)}), 2048)},
        RequestCase{"OpenAIWithSystemPrompt", "openai", "/v1", "sk-123", "Be kind", 512, "/v1/chat/completions",
                    "Bearer sk-123",
                    chatBody("listed-model", Value::array({message("system", "Be kind"), message("user", kPrompt)}),
                             512)},
        RequestCase{"OpenAIEmptySystemPromptIsSent", "openai", "/v1", "sk-123", "", std::nullopt,
                    "/v1/chat/completions", "Bearer sk-123",
                    chatBody("listed-model", Value::array({message("system", ""), message("user", kPrompt)}), 2048)},
        RequestCase{"OpenAIEmptyKeyStillSendsTheHeader", "openai", "/v1", "", std::nullopt, std::nullopt,
                    "/v1/chat/completions", "Bearer",
                    chatBody("listed-model", Value::array({message("user", kPrompt)}), 2048)},
        RequestCase{"OpenAITrailingSlashDoublesIt", "openai", "/v1/", "k", std::nullopt, std::nullopt,
                    "/v1//chat/completions", "Bearer k",
                    chatBody("listed-model", Value::array({message("user", kPrompt)}), 2048)},
        RequestCase{"OllamaWithoutSystemPrompt", "ollama", "", "ignored-key", std::nullopt, std::nullopt,
                    "/api/generate", std::nullopt,
                    Value{{"model", "listed-model"},
                          {"prompt", kPrompt},
                          {"stream", false},
                          {"options", Value{{"temperature", 0.7}, {"num_predict", 2048}}}}},
        RequestCase{"OllamaWithSystemPrompt", "ollama", "", "", "Be kind", 64, "/api/generate", std::nullopt,
                    Value{{"model", "listed-model"},
                          {"prompt", "Be kind\n\nUser: Reply to Anna\nAssistant:"},
                          {"stream", false},
                          {"options", Value{{"temperature", 0.7}, {"num_predict", 64}}}}},
        RequestCase{"OllamaEmptySystemPromptKeepsTheTemplate", "ollama", "/", "", "", std::nullopt,
                    "//api/generate", std::nullopt,
                    Value{{"model", "listed-model"},
                          {"prompt", "\n\nUser: Reply to Anna\nAssistant:"},
                          {"stream", false},
                          {"options", Value{{"temperature", 0.7}, {"num_predict", 2048}}}}},
        RequestCase{"CustomAppendsThePath", "custom", "/v1", "", "", std::nullopt, "/v1/chat/completions",
                    std::nullopt, chatBody("custom-model", Value::array({message("user", kPrompt)}), 2048)},
        RequestCase{"CustomTrimsATrailingSlash", "custom", "/v1/", "key", "Sys", std::nullopt,
                    "/v1/chat/completions", "Bearer key",
                    chatBody("custom-model", Value::array({message("system", "Sys"), message("user", kPrompt)}),
                             2048)},
        RequestCase{"CustomKeepsAChatCompletionsEndpoint", "custom", "/v1/chat/completions", "", std::nullopt,
                    std::nullopt, "/v1/chat/completions", std::nullopt,
                    chatBody("custom-model", Value::array({message("user", kPrompt)}), 2048)},
        RequestCase{"CustomKeepsALegacyCompletionsEndpoint", "custom", "/v1/completions", "", std::nullopt,
                    std::nullopt, "/v1/completions", std::nullopt,
                    chatBody("custom-model", Value::array({message("user", kPrompt)}), 2048)},
        RequestCase{"CustomSlashAfterChatCompletionsAppendsAgain", "custom", "/v1/chat/completions/", "",
                    std::nullopt, std::nullopt, "/v1/chat/completions/chat/completions", std::nullopt,
                    chatBody("custom-model", Value::array({message("user", kPrompt)}), 2048)}),
    [](const auto& info) { return std::string(info.param.name); });

// --- How replies are read ---------------------------------------------------------

struct ReplyCase {
  const char* name;
  const char* provider;
  std::string body;
  Outcome outcome;
  std::string answer = {};
};
void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class ProviderReply : public RouterTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ProviderReply, IsReadOrRefused) {
  const auto& c = GetParam();
  LoopbackServer server;
  server.reply(200, c.body);
  configure(c.provider, server.baseURL(), "k");
  auto probe = send("p");
  router_test::expectOutcome(probe, c.outcome, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProviderReply,
    ::testing::Values(
        ReplyCase{"OpenAIContent", "openai", R"({"choices":[{"message":{"content":"  Hi Anna  "}}],"id":"x"})",
                  Outcome::answer, "  Hi Anna  "},
        ReplyCase{"OpenAIEmptyContent", "openai", R"({"choices":[{"message":{"content":""}}]})", Outcome::answer, ""},
        ReplyCase{"OpenAIOnlyFirstChoice", "openai",
                  R"({"choices":[{"message":{"content":"a"}},{"message":{"content":"b"}}]})", Outcome::answer, "a"},
        ReplyCase{"OpenAINoChoices", "openai", R"({"error":{"message":"quota"}})", Outcome::invalidResponse},
        ReplyCase{"OpenAIEmptyChoices", "openai", R"({"choices":[]})", Outcome::invalidResponse},
        ReplyCase{"OpenAIChoicesNotObjects", "openai", R"({"choices":["a"]})", Outcome::invalidResponse},
        ReplyCase{"OpenAITextChoiceIsNotAccepted", "openai", R"({"choices":[{"text":"t"}]})",
                  Outcome::invalidResponse},
        ReplyCase{"OpenAIContentNotText", "openai", R"({"choices":[{"message":{"content":7}}]})",
                  Outcome::invalidResponse},
        ReplyCase{"OpenAITopLevelArray", "openai", R"([{"choices":[]}])", Outcome::invalidResponse},
        ReplyCase{"OpenAITopLevelNull", "openai", "null", Outcome::jsonError},
        ReplyCase{"OpenAITopLevelNumber", "openai", "42", Outcome::jsonError},
        ReplyCase{"OpenAITopLevelString", "openai", R"("hello")", Outcome::jsonError},
        ReplyCase{"OpenAIEmptyBody", "openai", "", Outcome::jsonError},
        ReplyCase{"OpenAINotJSON", "openai", "<html>busy</html>", Outcome::jsonError},
        ReplyCase{"OpenAIInvalidUTF8", "openai", "{\"choices\":[{\"message\":{\"content\":\"\xC3\x28\"}}]}",
                  Outcome::jsonError},
        ReplyCase{"OllamaResponse", "ollama",
                  R"({"response":"Dear Anna","done":true,"total_duration":1500000000,"load_duration":2})",
                  Outcome::answer, "Dear Anna"},
        ReplyCase{"OllamaEmptyResponse", "ollama", R"({"response":""})", Outcome::answer, ""},
        ReplyCase{"OllamaErrorOnly", "ollama", R"({"error":"model not found"})", Outcome::invalidResponse},
        ReplyCase{"OllamaResponseNotText", "ollama", R"({"response":5})", Outcome::invalidResponse},
        ReplyCase{"OllamaStreamedLines", "ollama", "{\"response\":\"a\"}\n{\"response\":\"b\"}\n",
                  Outcome::jsonError},
        ReplyCase{"OllamaTopLevelArray", "ollama", R"(["response"])", Outcome::invalidResponse},
        ReplyCase{"CustomPrefersMessageContent", "custom",
                  R"({"choices":[{"message":{"content":"chat"}}],"response":"other"})", Outcome::answer, "chat"},
        ReplyCase{"CustomResponseField", "custom", R"({"response":"r","content":"c"})", Outcome::answer, "r"},
        ReplyCase{"CustomContentField", "custom", R"({"content":"c","text":"t"})", Outcome::answer, "c"},
        ReplyCase{"CustomTextFieldWithEmptyChoices", "custom", R"({"choices":[],"text":"t"})", Outcome::answer, "t"},
        ReplyCase{"CustomChoiceText", "custom", R"({"choices":[{"text":"legacy"}]})", Outcome::answer, "legacy"},
        ReplyCase{"CustomNumericResponse", "custom", R"({"response":5})", Outcome::invalidResponse},
        ReplyCase{"CustomEmptyObject", "custom", R"({})", Outcome::invalidResponse},
        ReplyCase{"CustomTopLevelArray", "custom", R"([])", Outcome::invalidResponse},
        ReplyCase{"CustomTopLevelScalar", "custom", "true", Outcome::jsonError}),
    [](const auto& info) { return std::string(info.param.name); });

// Out of the table, whose values are all built when the program starts.
TEST_F(RouterTest, AThreeMegabyteAnswerIsReadWhole) {
  const std::string answer(3 * 1024 * 1024, 'x');
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"content":")" + answer + R"("}}]})");
  configure("openai", server.baseURL(), "k");
  auto probe = send("p");
  router_test::expectOutcome(probe, Outcome::answer, answer);
}

// --- Status, transport and early failures ----------------------------------------

TEST_F(RouterTest, EveryStatusOtherThan200IsAnHttpErrorWithTheCode) {
  LoopbackServer server;
  for (const char* provider : {"openai", "ollama", "custom"}) {
    configure(provider, server.baseURL());
    for (int status : {201, 204, 404, 500}) {
      server.reply(status, R"({"choices":[{"message":{"content":"ok"}}],"response":"ok"})");
      auto probe = send("p");
      ASSERT_TRUE(probe.failedWith(ErrorCase::httpError)) << provider << " " << status;
      EXPECT_EQ(platform::errorAs<quorbel::ExtensionLLMAPIError>(probe.error())->statusCode(), status);
      EXPECT_EQ(probe.error()->localizedDescription(), "HTTP error: " + std::to_string(status));
      EXPECT_TRUE(probe.calledOnMainThread());
    }
  }
}

TEST_F(RouterTest, ARefusedConnectionArrivesUnchangedOnTheMainQueue) {
  for (const char* provider : {"openai", "ollama", "custom"}) {
    configure(provider, "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()));
    auto probe = send("p");
    ASSERT_TRUE(probe.error()) << provider;
    EXPECT_EQ(probe.error()->domain(), platform::kURLErrorDomain);
    EXPECT_EQ(probe.error()->code(), platform::URLErrorCannotConnectToHost);
    EXPECT_TRUE(probe.calledOnMainThread());
  }
}

TEST_F(RouterTest, TheStoredTimeoutEndsASlowRequest) {
  LoopbackServer server;
  std::promise<void> testEnds;  // the reply is held until then
  server.handle([held = testEnds.get_future().share()](const LoopbackServer::Request&) {
    held.wait();
    return LoopbackServer::Reply{200, R"({"response":"late"})", "application/json", {}};
  });
  configure("ollama", server.baseURL());
  router_test::suite()->set("llm_timeout", 0.3);
  // A time-out, not the late answer: the request ended before the server spoke.
  auto probe = send("p");
  ASSERT_TRUE(probe.error());
  EXPECT_EQ(probe.error()->domain(), platform::kURLErrorDomain);
  EXPECT_EQ(probe.error()->code(), platform::URLErrorTimedOut);
}

// A timeout typed far too large waits, rather than overflowing into none.
TEST_F(RouterTest, AnOversizedStoredTimeoutDoesNotCutARequestShort) {
  LoopbackServer server;
  server.reply({200, R"({"response":"late"})", "application/json", {}, std::chrono::milliseconds(300)});
  configure("ollama", server.baseURL());
  router_test::suite()->set("llm_timeout", 1e12);
  EXPECT_EQ(send("p").answer(), "late");
}

struct EarlyCase {
  const char* name;
  const char* provider;
  std::string endpoint;
  std::string prompt;
  ErrorCase expected;
};
void PrintTo(const EarlyCase& c, std::ostream* os) { *os << c.name; }

class EarlyFailure : public RouterTest, public ::testing::WithParamInterface<EarlyCase> {};

// Failures found before sending complete before the call returns, on the
// caller's thread, whichever thread that is.
TEST_P(EarlyFailure, CompletesSynchronouslyOnTheCallersThread) {
  const auto& c = GetParam();
  configure(c.provider, c.endpoint);
  for (bool fromMainThread : {true, false}) {
    CompletionProbe probe;
    std::thread::id completionThread, callerThread;
    auto call = [&] {
      callerThread = std::this_thread::get_id();
      ExtensionLLMAPIService::shared().generateContent(c.prompt, std::nullopt,
                                                       [&, inner = probe.completion()](quorbel::LLMResult result) {
                                                         completionThread = std::this_thread::get_id();
                                                         inner(std::move(result));
                                                       });
      EXPECT_EQ(probe.calls(), 1) << "not completed before returning";
    };
    if (fromMainThread) call();
    else std::thread(call).join();
    platform::RunLoop::runFor(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls(), 1);
    EXPECT_EQ(completionThread, callerThread);
    EXPECT_TRUE(probe.failedWith(c.expected)) << (probe.error() ? probe.error()->localizedDescription() : "success");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EarlyFailure,
    ::testing::Values(EarlyCase{"OpenAIEmptyEndpoint", "openai", "", "p", ErrorCase::endpointNotConfigured},
                      EarlyCase{"OllamaEmptyEndpoint", "ollama", "", "p", ErrorCase::endpointNotConfigured},
                      EarlyCase{"CustomEmptyEndpoint", "custom", "", "p", ErrorCase::endpointNotConfigured},
                      EarlyCase{"OpenAIEndpointWithoutProtocol", "openai", "api.example.com", "p",
                                ErrorCase::invalidEndpointURL},
                      EarlyCase{"CustomLeadingSlashEndpoint", "custom", "/v1", "p", ErrorCase::invalidEndpointURL},
                      EarlyCase{"OllamaOtherScheme", "ollama", "ftp://127.0.0.1", "p", ErrorCase::invalidEndpointURL},
                      EarlyCase{"OpenAIPromptNotUTF8", "openai", "http://127.0.0.1:9", "bad \xFF text",
                                ErrorCase::invalidRequestData},
                      EarlyCase{"CustomPromptNotUTF8", "custom", "http://127.0.0.1:9", "\xC3", ErrorCase::invalidRequestData}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Diagnostics ------------------------------------------------------------------

TEST_F(RouterTest, RequestDumpMasksTheKeyAndShowsTheTimeout) {
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"content":"ok"}}]})");
  ScopedEnv debug("DEBUG_LOGGING", "1");
  ExtensionLLMAPIService::shared();
  router_test::suite()->set("llm_timeout", 0);
  struct Case {
    std::string key;
    std::string shown;
  };
  for (const auto& c : {Case{"sk-1234567890abcd", "Bearer sk-..."}, Case{"", "***"}, Case{"abc", "***"},
                        Case{"abcd", "Bearer abc..."}}) {
    configure("openai", server.baseURL(), c.key);
    test_support::ConsoleCapture console;
    send("p");
    EXPECT_TRUE(console.contains("    Authorization: " + c.shown)) << c.key << "\n" << console.joined();
    EXPECT_TRUE(console.contains("  ⏱️ Timeout: 30.0s")) << console.joined();
    EXPECT_TRUE(console.contains("✅ ExtensionLLMAPIService: OpenAI response parsed successfully"));
  }
}

TEST_F(RouterTest, ServerErrorTextsReachOnlyTheConsole) {
  LoopbackServer server;
  server.reply(200, R"({"error":"model llama9 not found"})");
  configure("ollama", server.baseURL());
  ScopedEnv debug("DEBUG_LOGGING", "true");
  test_support::ConsoleCapture console;
  auto probe = send("p");
  EXPECT_EQ(probe.error()->localizedDescription(), "Invalid response format");
  EXPECT_TRUE(console.contains("❌ ExtensionLLMAPIService: No 'response' field found in Ollama response"));
  EXPECT_TRUE(console.contains("  ❌ Error message from Ollama: model llama9 not found"));
}

TEST_F(RouterTest, CustomProviderPrintsASampleFieldWhenNoShapeMatches) {
  LoopbackServer server;
  server.reply(200, R"({"answer":"hidden"})");
  configure("custom", server.baseURL());
  ScopedEnv debug("DEBUG_LOGGING", "true");
  test_support::ConsoleCapture console;
  auto probe = send("p");
  EXPECT_TRUE(probe.failedWith(ErrorCase::invalidResponse));
  EXPECT_TRUE(console.contains("❌ ExtensionLLMAPIService: No supported response format found"));
  EXPECT_TRUE(console.contains("  📄 Sample field: answer = hidden")) << console.joined();
}

TEST_F(RouterTest, AReplyThatInflatesPastTheSizeLimitFailsNamingIt) {
  LoopbackServer server;
  server.reply({200, test_support::gzippedZeros(65 * 1024 * 1024), "application/octet-stream",
                {{"Content-Encoding", "gzip"}}});
  auto expectLimitError = [](const CompletionProbe& probe) {
    ASSERT_TRUE(probe.error());
    EXPECT_EQ(probe.error()->code(), platform::URLErrorDataLengthExceedsMaximum);
    EXPECT_EQ(probe.error()->localizedDescription(), "The reply is larger than the limit of 64 MB.");
    EXPECT_TRUE(probe.calledOnMainThread());
  };
  configure("custom", server.baseURL(), "k");
  expectLimitError(send("p"));

  router_test::suite()->set("llm_provider", "gemini");
  router_test::suite()->set("current_api_mode", "worker");
  ScopedEnv url("CLOUDFLARE_WORKER_URL", server.baseURL());
  ScopedEnv key("WORKER_API_KEY", "k");
  expectLimitError(send("p"));
}

TEST_F(RouterTest, LongAnswersAreCutOnlyInThePreview) {
  LoopbackServer server;
  std::string answer(101, 'a');
  server.reply(200, R"({"response":")" + answer + R"("})");
  configure("ollama", server.baseURL());
  ScopedEnv debug("DEBUG_LOGGING", "true");
  test_support::ConsoleCapture console;
  auto probe = send("p");
  EXPECT_EQ(probe.answer(), answer);
  EXPECT_TRUE(console.contains("  📝 Content preview: " + std::string(100, 'a') + "..."));
}

TEST_F(RouterTest, NothingIsPrintedWhileDebugLoggingIsOff) {
  LoopbackServer server;
  server.reply(200, R"({"choices":[{"message":{"content":"ok"}}]})");
  configure("openai", server.baseURL(), "k");
  ExtensionLLMAPIService::shared();
  test_support::ConsoleCapture console;
  send("p");
  configure("custom", "");
  send("p");
  EXPECT_TRUE(console.lines().empty()) << console.joined();
}

}  // namespace
