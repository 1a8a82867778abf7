// The built-in service through the worker proxy, against a loopback worker.
#include <future>

#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "router/ExtensionLLMAPIService.hpp"
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

const std::string kGoodEnvelope =
    R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"Dear Anna"},{"text":"ignored"}]}}]}})";

CompletionProbe viaWorker(const std::string& prompt, const std::optional<std::string>& systemPrompt = std::nullopt) {
  CompletionProbe probe;
  ExtensionLLMAPIService::shared().generateViaWorker(prompt, systemPrompt, probe.completion());
  probe.waitForCompletion();
  return probe;
}

Value content(const std::string& text) { return Value{{"parts", Value::array({Value{{"text", text}}})}}; }

struct WorkerRequestCase {
  const char* name;
  std::string urlSuffix;
  std::optional<std::string> systemPrompt;
  std::optional<std::int64_t> storedMaxTokens;
  std::string expectedPath;
  Value expectedContents;
  std::int64_t expectedMaxTokens;
};
void PrintTo(const WorkerRequestCase& c, std::ostream* os) { *os << c.name; }

class WorkerRequest : public RouterTest, public ::testing::WithParamInterface<WorkerRequestCase> {};

TEST_P(WorkerRequest, SendsTheEnvelopeRequest) {
  const auto& c = GetParam();
  LoopbackServer worker;
  worker.reply(200, kGoodEnvelope);
  ScopedEnv url("CLOUDFLARE_WORKER_URL", worker.baseURL() + c.urlSuffix);
  ScopedEnv key("WORKER_API_KEY", "worker-secret");
  ScopedEnv model("GEMINI_MODEL", "gemini-test");
  if (c.storedMaxTokens) router_test::suite()->set("llm_max_tokens", *c.storedMaxTokens);

  auto probe = viaWorker("Reply to Anna", c.systemPrompt);
  EXPECT_EQ(probe.answer(), "Dear Anna");
  EXPECT_TRUE(probe.calledOnMainThread());

  auto request = worker.lastRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.path, c.expectedPath);
  EXPECT_EQ(request.header("Authorization"), "Bearer worker-secret");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  Value expected{{"endpoint", "generateContent"},
                 {"model", "gemini-test"},
                 {"data", Value{{"contents", c.expectedContents},
                                {"generationConfig", Value{{"maxOutputTokens", c.expectedMaxTokens},
                                                           {"temperature", 0.7}}}}}};
  EXPECT_EQ(router_test::jsonOf(request.body), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkerRequest,
    ::testing::Values(
        WorkerRequestCase{"NoSystemPrompt", "", std::nullopt, std::nullopt, "/google-api",
                          Value::array({content("Reply to Anna")}), 2048},
        WorkerRequestCase{"EmptySystemPromptIsLeftOut", "", "", 100, "/google-api",
                          Value::array({content("Reply to Anna")}), 100},
        WorkerRequestCase{"SystemPromptGoesFirst", "", "Be kind", std::nullopt, "/google-api",
                          Value::array({content("Be kind"), content("Reply to Anna")}), 2048},
        WorkerRequestCase{"TrailingSlashGivesDoubleSlash", "/", std::nullopt, std::nullopt, "//google-api",
                          Value::array({content("Reply to Anna")}), 2048}),
    [](const auto& info) { return std::string(info.param.name); });

struct EnvelopeCase {
  const char* name;
  std::string body;
  Outcome outcome;
  std::string answer = {};
};
void PrintTo(const EnvelopeCase& c, std::ostream* os) { *os << c.name; }

class WorkerReply : public RouterTest, public ::testing::WithParamInterface<EnvelopeCase> {};

TEST_P(WorkerReply, IsReadOrRefused) {
  const auto& c = GetParam();
  LoopbackServer worker;
  worker.reply(200, c.body);
  ScopedEnv url("CLOUDFLARE_WORKER_URL", worker.baseURL());
  ScopedEnv key("WORKER_API_KEY", "k");
  auto probe = viaWorker("p");
  router_test::expectOutcome(probe, c.outcome, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkerReply,
    ::testing::Values(
        EnvelopeCase{"Answer", kGoodEnvelope, Outcome::answer, "Dear Anna"},
        EnvelopeCase{"EmptyText", R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":""}]}}]}})",
                     Outcome::answer, ""},
        EnvelopeCase{"ReportedFailure", R"({"success":false,"error":"quota exceeded"})", Outcome::invalidResponse},
        EnvelopeCase{"SuccessNotBoolean", R"({"success":"true","data":{}})", Outcome::invalidResponse},
        EnvelopeCase{"NoSuccess", R"({"data":{"candidates":[]}})", Outcome::invalidResponse},
        EnvelopeCase{"NoData", R"({"success":true})", Outcome::invalidResponse},
        EnvelopeCase{"NoCandidates", R"({"success":true,"data":{}})", Outcome::invalidResponse},
        EnvelopeCase{"EmptyCandidates", R"({"success":true,"data":{"candidates":[]}})", Outcome::invalidResponse},
        EnvelopeCase{"NoContent", R"({"success":true,"data":{"candidates":[{}]}})", Outcome::invalidResponse},
        EnvelopeCase{"EmptyParts", R"({"success":true,"data":{"candidates":[{"content":{"parts":[]}}]}})",
                     Outcome::invalidResponse},
        EnvelopeCase{"TextNotString",
                     R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":1}]}}]}})",
                     Outcome::invalidResponse},
        EnvelopeCase{"TopLevelArray", R"([1,2])", Outcome::invalidResponse},
        EnvelopeCase{"TopLevelNull", "null", Outcome::jsonError},
        EnvelopeCase{"TopLevelNumber", "3", Outcome::jsonError},
        EnvelopeCase{"TopLevelString", R"("ok")", Outcome::jsonError},
        EnvelopeCase{"EmptyBody", "", Outcome::jsonError},
        EnvelopeCase{"InvalidUTF8", "{\"success\":\"\xFF\"}", Outcome::jsonError}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RouterTest, WorkerStatusOtherThan200IsAnHttpError) {
  LoopbackServer worker;
  ScopedEnv url("CLOUDFLARE_WORKER_URL", worker.baseURL());
  ScopedEnv key("WORKER_API_KEY", "k");
  for (int status : {201, 204, 401, 502}) {
    worker.reply(status, kGoodEnvelope);
    auto probe = viaWorker("p");
    ASSERT_TRUE(probe.failedWith(ErrorCase::httpError)) << status;
    EXPECT_EQ(platform::errorAs<quorbel::ExtensionLLMAPIError>(probe.error())->statusCode(), status);
  }
}

TEST_F(RouterTest, WorkerTransportFailuresArriveUnchanged) {
  ScopedEnv url("CLOUDFLARE_WORKER_URL", "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()));
  ScopedEnv key("WORKER_API_KEY", "k");
  auto probe = viaWorker("p");
  ASSERT_TRUE(probe.error());
  EXPECT_EQ(probe.error()->domain(), platform::kURLErrorDomain);
  EXPECT_EQ(probe.error()->code(), platform::URLErrorCannotConnectToHost);
  EXPECT_TRUE(probe.calledOnMainThread());
}

TEST_F(RouterTest, WorkerTimeoutFollowsTheStoredTimeout) {
  LoopbackServer worker;
  std::promise<void> testEnds;  // the reply is held until then
  worker.handle([held = testEnds.get_future().share()](const LoopbackServer::Request&) {
    held.wait();
    return LoopbackServer::Reply{200, kGoodEnvelope, "application/json", {}};
  });
  ScopedEnv url("CLOUDFLARE_WORKER_URL", worker.baseURL());
  ScopedEnv key("WORKER_API_KEY", "k");
  router_test::suite()->set("llm_timeout", 0.3);
  auto probe = viaWorker("p");
  ASSERT_TRUE(probe.error());
  EXPECT_EQ(probe.error()->code(), platform::URLErrorTimedOut);
}

TEST_F(RouterTest, WorkerEarlyFailuresCompleteBeforeReturning) {
  struct Case {
    std::optional<std::string> url;
    std::optional<std::string> key;
    std::string prompt;
    ErrorCase expected;
  };
  for (const auto& c : {Case{std::nullopt, "k", "p", ErrorCase::serviceNotAvailable},
                        Case{"http://127.0.0.1:9", std::nullopt, "p", ErrorCase::serviceNotAvailable},
                        Case{"not a url", "k", "p", ErrorCase::invalidRequest},
                        Case{"http://127.0.0.1:9", "k", "bad \xC0 prompt", ErrorCase::invalidRequestData}}) {
    ScopedEnv url("CLOUDFLARE_WORKER_URL", c.url);
    ScopedEnv key("WORKER_API_KEY", c.key);
    CompletionProbe probe;
    ExtensionLLMAPIService::shared().generateViaWorker(c.prompt, std::nullopt, probe.completion());
    EXPECT_EQ(probe.calls(), 1);
    EXPECT_TRUE(probe.calledOnMainThread());
    EXPECT_TRUE(probe.failedWith(c.expected));
    platform::RunLoop::runFor(std::chrono::milliseconds(20));
    EXPECT_EQ(probe.calls(), 1);
  }
  ScopedEnv url("CLOUDFLARE_WORKER_URL", std::nullopt);
  CompletionProbe probe;
  ExtensionLLMAPIService::shared().generateViaWorker("p", std::nullopt, probe.completion());
  EXPECT_EQ(probe.error()->localizedDescription(), "Service not available: Cloudflare Worker not configured");
}

TEST_F(RouterTest, WorkerReplyWithoutResponseOrBody) {
  auto& service = ExtensionLLMAPIService::shared();
  CompletionProbe notHTTP;
  service.handleWorkerReply(nullptr, std::nullopt, std::string("{}"), notHTTP.completion(), 0.1);
  EXPECT_TRUE(notHTTP.failedWith(ErrorCase::invalidResponse));
  CompletionProbe noBody;
  service.handleWorkerReply(nullptr, platform::HTTPURLResponse{"http://w", 200, {}}, std::nullopt, noBody.completion(),
                            0.1);
  EXPECT_TRUE(noBody.failedWith(ErrorCase::noData));
}

TEST_F(RouterTest, WorkersOwnErrorTextOnlyReachesTheConsole) {
  LoopbackServer worker;
  worker.reply(200, R"({"success":false,"error":"quota exceeded"})");
  ScopedEnv url("CLOUDFLARE_WORKER_URL", worker.baseURL());
  ScopedEnv key("WORKER_API_KEY", "k");
  ScopedEnv debug("DEBUG_LOGGING", "TRUE");
  test_support::ConsoleCapture console;
  auto probe = viaWorker("p");
  EXPECT_EQ(probe.error()->localizedDescription(), "Invalid response format");
  EXPECT_TRUE(console.contains("❌ ExtensionLLMAPIService: Worker reported failure"));
  EXPECT_TRUE(console.contains("  ❌ Error from Worker: quota exceeded"));
  EXPECT_TRUE(console.contains("  🔑 Response Keys: [\"error\", \"success\"]")) << console.joined();
}

}  // namespace
