// One exchange with the backend: the URL request it sends, and what each kind
// of reply, or no reply, becomes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "firebase_core/FIRApp.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/JsonDecoder.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/LoopbackServer.hpp"
#include "test_support/TestEnvironment.hpp"

namespace firebase::vertexai {
namespace {

using platform::HeaderFields;
using testing::Delivered;
using test_doubles::VertexAIBackend;

class ServiceTest : public testing::VertexTest {
 protected:
  void SetUp() override {
    VertexTest::SetUp();
    test_support::resetDefaults();
    writeBundleVersion(std::nullopt);
    test_doubles::configureDefaultAppFromShippedOptions();
  }
  void TearDown() override {
    test_doubles::resetApps();
    writeBundleVersion(std::nullopt);
    VertexTest::TearDown();
  }

  static std::shared_ptr<GenerativeModel> model(double timeout = 180) {
    return *(*VertexAI::vertexAI(nullptr, "us-central1"))->generativeModel("gemini-2.0-flash-lite", {timeout});
  }

  static Result<platform::URLRequest> build(const GenerativeAIService& service) {
    auto request = model()->makeRequest({ModelContent({"Hi"})}, GenerateContentRequest::APIMethod::generateContent);
    std::optional<Result<platform::URLRequest>> built;
    service.buildURLRequest(GenerativeAIService::prepare(request), [&](auto result) { built = std::move(result); });
    EXPECT_TRUE(built) << "the request was not built at once";
    return built.value_or(std::unexpected(nullptr));
  }

  // The main bundle's Info list, with the version or without one.
  static void writeBundleVersion(const std::optional<std::string>& version) {
    auto bundle = test_support::IsolatedEnvironment::bundlePath();
    std::ofstream(bundle / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        << (version ? "<key>CFBundleShortVersionString</key><string>" + *version + "</string>" : "")
        << "</dict></plist>\n";
    platform::Bundle::setMainBundlePath(bundle);
  }
};

TEST_F(ServiceTest, TheRequestCarriesTheHeadersInOrderTheBodyAndTheModelsTimeout) {
  const HeaderFields common{{"x-goog-api-key", test_doubles::kShippedAPIKey},
                            {"x-goog-api-client", "gl-swift/5 fire/11.12.0"},
                            {"Content-Type", "application/json"}};
  struct Case {
    const char* name;
    bool dataCollection;
    std::optional<std::string> bundleVersion;
    HeaderFields extra;
  } cases[] = {
      {"CollectionOnWithVersion", true, "2.4", {{"X-Firebase-AppId", test_doubles::kShippedAppID},
                                                {"X-Firebase-AppVersion", "2.4"}}},
      {"CollectionOnWithoutVersion", true, std::nullopt, {{"X-Firebase-AppId", test_doubles::kShippedAppID}}},
      {"CollectionOff", false, "2.4", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeBundleVersion(c.bundleVersion);
    FIRApp::defaultApp()->setDataCollectionDefaultEnabled(c.dataCollection);
    auto request = build(model()->generativeAIService());
    ASSERT_TRUE(request) << testing::describe(request ? nullptr : request.error());
    HeaderFields expected = common;
    expected.insert(expected.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(request->headers, expected);
    EXPECT_EQ(request->method, "POST");
    EXPECT_EQ(request->url, "https://firebasevertexai.googleapis.com/v1beta/projects/quorbel-sample/locations/"
                            "us-central1/publishers/google/models/gemini-2.0-flash-lite:generateContent");
    EXPECT_EQ(request->body, R"({"contents":[{"role":"user","parts":[{"text":"Hi"}]}]})");
    EXPECT_EQ(request->timeoutInterval, 180);
  }
}

class FakeAppCheck : public FIRAppCheckInterop {
 public:
  platform::ErrorPtr error;
  void getTokenForcingRefresh(bool forcingRefresh, std::function<void(FIRAppCheckTokenResult)> completion) override {
    EXPECT_FALSE(forcingRefresh);
    completion({"app-check-token", error});
  }
};

class FakeAuth : public FIRAuthInterop {
 public:
  std::optional<std::string> token;
  platform::ErrorPtr error;
  void getTokenForcingRefresh(bool forcingRefresh,
                              std::function<void(std::optional<std::string>, platform::ErrorPtr)> callback) override {
    EXPECT_FALSE(forcingRefresh);
    // Answers from another thread, as a real provider may.
    std::thread([callback, token = token, error = error] { callback(token, error); }).detach();
  }
};

TEST_F(ServiceTest, TokenProvidersAddTheirHeadersOrFailTheRequest) {
  auto info = model()->generativeAIService().firebaseInfo();
  auto appCheck = std::make_shared<FakeAppCheck>();
  appCheck->error = platform::makeError("AppCheck", 1, "throttled");
  auto auth = std::make_shared<FakeAuth>();
  info.appCheck = appCheck;
  info.auth = auth;
  GenerativeAIService service(info, platform::URLSession::shared());

  auto buildAndWait = [&] {
    auto request = model()->makeRequest({ModelContent({"Hi"})}, GenerateContentRequest::APIMethod::generateContent);
    Delivered<platform::URLRequest> delivered;
    service.buildURLRequest(GenerativeAIService::prepare(request), [&](Result<platform::URLRequest> result) {
      delivered.queue.async([&, result] { delivered.completion()(result); });
    });
    return delivered.wait();
  };

  auth->token = "id-token";
  auto withToken = buildAndWait();
  ASSERT_TRUE(withToken);
  std::vector<std::string> names;
  for (const auto& field : withToken->headers) names.push_back(field.first);
  EXPECT_EQ(names, (std::vector<std::string>{"x-goog-api-key", "x-goog-api-client", "Content-Type",
                                             "X-Firebase-AppCheck", "Authorization", "X-Firebase-AppId"}));
  EXPECT_EQ(withToken->headers[3].second, "app-check-token");
  EXPECT_EQ(withToken->headers[4].second, "Firebase id-token");
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::appCheckTokenFetchFailed),
            std::vector<std::string>{"Failed to fetch AppCheck token. Error: throttled"});

  auth->token.reset();
  auto signedOut = buildAndWait();
  ASSERT_TRUE(signedOut);
  EXPECT_EQ(signedOut->headers.size(), 5u);  // no Authorization

  auth->error = platform::makeError("Auth", 17, "token expired");
  auto refused = buildAndWait();
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), auth->error);
}

// Every way an exchange can end, and what the caller gets.
struct StatusCase {
  const char* name;
  int status;
  std::string body;
  std::string contentType;
  // What the error underneath GenerateContentError.internalError is: its
  // domain and code; and the description the user reads.
  std::string domain;
  long code;
  std::string shown;
  std::vector<VertexLogMessageCode> logged;
};
void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class StatusPaths : public ServiceTest, public ::testing::WithParamInterface<StatusCase> {};

const std::string kServiceDisabledBody = R"({"error":{"code":403,"message":"Vertex AI in Firebase API has not been used)"
                                         R"( in project quorbel-sample.","status":"PERMISSION_DENIED","details":[)"
                                         R"({"@type":"type.googleapis.com/google.rpc.ErrorInfo","reason":)"
                                         R"("SERVICE_DISABLED","domain":"googleapis.com","metadata":{"service":)"
                                         R"("firebasevertexai.googleapis.com"}}]}})";

TEST_P(StatusPaths, EndAsTheCallerExpects) {
  const auto& c = GetParam();
  VertexAIBackend backend;
  backend.server.reply(c.status, c.body, c.contentType);
  Delivered<GenerateContentResponse> delivered;
  model()->generateContent("Hi", delivered.queue, delivered.completion());
  auto result = delivered.wait();
  ASSERT_FALSE(result) << "answered " << result->text().value_or("<no text>");
  const auto* error = platform::errorAs<GenerateContentError>(result.error());
  ASSERT_NE(error, nullptr) << testing::describe(result.error());
  ASSERT_EQ(error->kind(), GenerateContentError::Kind::internalError);
  const auto& underlying = error->underlying();
  EXPECT_EQ(underlying->domain(), c.domain) << testing::describe(underlying);
  EXPECT_EQ(underlying->code(), c.code);
  EXPECT_EQ(error->localizedDescription(), c.shown);
  for (auto code : c.logged) EXPECT_EQ(messagesWithCode(code).size(), 1u) << messageIdentifier(code);
}

using Code = VertexLogMessageCode;
INSTANTIATE_TEST_SUITE_P(
    Replies, StatusPaths,
    ::testing::Values(
        StatusCase{"OkWithEmptyBody", 200, "", "application/json", platform::json::kErrorDomain,
                   platform::json::kDecodingCorruptCode,
                   "The server's reply could not be read: The given data was not valid JSON.",
                   {Code::loadRequestParseResponseFailedJSON, Code::loadRequestParseResponseFailedJSONError}},
        StatusCase{"OkWithHTML", 200, "<html>hello</html>", "text/html", platform::json::kErrorDomain,
                   platform::json::kDecodingCorruptCode,
                   "The server's reply could not be read: The given data was not valid JSON.",
                   {Code::loadRequestParseResponseFailedJSONError}},
        StatusCase{"OkWithoutCandidateKeys", 200, R"({"usageMetadata":{}})", "application/json",
                   platform::json::kErrorDomain, platform::json::kDecodingCorruptCode,
                   "The server's reply could not be read: Failed to decode GenerateContentResponse; missing keys "
                   "'candidates' and 'promptFeedback'.",
                   {}},
        StatusCase{"BackendError", 400,
                   R"({"error":{"code":400,"message":"Request contains an invalid argument.","status":"INVALID_ARGUMENT"}})",
                   "application/json", BackendError::kDomain, 400,
                   "Request contains an invalid argument. (com.google.firebase.vertexai.BackendError - HTTP 400 "
                   "INVALID_ARGUMENT)",
                   {Code::loadRequestResponseError, Code::loadRequestResponseErrorPayload}},
        StatusCase{"ServiceDisabled", 403, kServiceDisabledBody, "application/json", BackendError::kDomain, 403,
                   "Vertex AI in Firebase API has not been used in project quorbel-sample. "
                   "(com.google.firebase.vertexai.BackendError - HTTP 403 PERMISSION_DENIED)",
                   {Code::loadRequestResponseError, Code::loadRequestResponseErrorPayload, Code::firebaseMLAPIDisabled}},
        StatusCase{"ServerErrorWithHTML", 502, "<html><body>Bad gateway</body></html>", "text/html",
                   "FirebaseVertexAI.HTTPStatusError", 502,
                   "The server responded with HTTP status 502: <html><body>Bad gateway</body></html>",
                   {Code::loadRequestResponseError, Code::loadRequestResponseErrorPayload}},
        StatusCase{"ServerErrorWithControlCharacters", 502, "<html>\x1B[2JBad\r\ngateway\x07</html>\r\n",
                   "text/html", "FirebaseVertexAI.HTTPStatusError", 502,
                   "The server responded with HTTP status 502: <html>\uFFFD[2JBad\ngateway\uFFFD</html>",
                   {Code::loadRequestResponseError, Code::loadRequestResponseErrorPayload}},
        StatusCase{"ServerErrorWithEmptyBody", 503, "", "text/plain", "FirebaseVertexAI.HTTPStatusError", 503,
                   "The server responded with HTTP status 503 and an empty body.", {Code::loadRequestResponseError}},
        StatusCase{"CreatedIsNoSuccess", 201, test_doubles::responseWithText("hi"), "application/json",
                   "FirebaseVertexAI.HTTPStatusError", 201,
                   "The server responded with HTTP status 201: " + test_doubles::responseWithText("hi"),
                   {Code::loadRequestResponseError}}),
    [](const auto& info) { return std::string(info.param.name); });

// The decoding-failure line says what was wrong in the reply and where.
TEST_F(ServiceTest, AnUndecodableReplyIsLoggedWithWhatWasWrongAndWhere) {
  VertexAIBackend backend;
  const std::string body = R"({"candidates":[{"content":{"parts":[{"text":"Hi"}]},)"
                           R"("safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","blocked":"no"}]}]})";
  backend.server.reply(200, body);
  Delivered<GenerateContentResponse> delivered;
  model()->generateContent("Hi", delivered.queue, delivered.completion());
  ASSERT_FALSE(delivered.wait());
  EXPECT_EQ(messagesWithCode(Code::loadRequestParseResponseFailedJSON), std::vector<std::string>{"JSON response: " + body});
  EXPECT_EQ(messagesWithCode(Code::loadRequestParseResponseFailedJSONError),
            std::vector<std::string>{"Error decoding server JSON: Expected to decode Bool but found a string instead. "
                                     "(at candidates[0].safetyRatings[0].blocked)"});
}

TEST_F(ServiceTest, TheServiceDisabledHintNamesTheProjectsConsolePage) {
  VertexAIBackend backend;
  backend.server.reply(403, kServiceDisabledBody);
  Delivered<GenerateContentResponse> delivered;
  model()->generateContent("Hi", delivered.queue, delivered.completion());
  ASSERT_FALSE(delivered.wait());
  auto hints = messagesWithCode(VertexLogMessageCode::firebaseMLAPIDisabled);
  ASSERT_EQ(hints.size(), 1u);
  EXPECT_EQ(hints[0],
            "The Vertex AI in Firebase SDK requires the Vertex AI in Firebase API "
            "(`firebasevertexai.googleapis.com`) to be enabled in your Firebase project. Enable this API by visiting "
            "the Firebase Console at\nhttps://console.firebase.google.com/project/quorbel-sample/genai/ and clicking "
            "\"Get started\". If you enabled this API recently, wait a few minutes for the action to propagate to our "
            "systems and then retry.");
}

TEST_F(ServiceTest, ALongBodyThatIsNoBackendErrorIsQuotedOnlyAtItsStart) {
  VertexAIBackend backend;
  backend.server.reply(500, std::string(300, 'x'), "text/plain");
  Delivered<GenerateContentResponse> delivered;
  model()->generateContent("Hi", delivered.queue, delivered.completion());
  auto result = delivered.wait();
  ASSERT_FALSE(result);
  const auto& underlying = platform::errorAs<GenerateContentError>(result.error())->underlying();
  EXPECT_EQ(underlying->localizedDescription(),
            "The server responded with HTTP status 500: " + std::string(200, 'x') + "...");
}

TEST_F(ServiceTest, TransportFailuresAndTimeOutsAreTheSessionsErrors) {
  {
    test_support::ScopedEnv closed(kBaseURLVariable,
                                   "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()));
    Delivered<GenerateContentResponse> delivered;
    model()->generateContent("Hi", delivered.queue, delivered.completion());
    auto result = delivered.wait();
    ASSERT_FALSE(result);
    const auto& underlying = platform::errorAs<GenerateContentError>(result.error())->underlying();
    EXPECT_EQ(underlying->domain(), platform::kURLErrorDomain);
    EXPECT_EQ(underlying->code(), platform::URLErrorCannotConnectToHost);
    EXPECT_EQ(result.error()->localizedDescription(), "Could not connect to the server.");
  }
  // A server that never answers: the model's own time-out ends the call.
  VertexAIBackend backend;
  auto release = testing::makeSignal();
  backend.server.handle([release](auto&) { release->wait(); });
  Delivered<GenerateContentResponse> delivered;
  model(0.2)->generateContent("Hi", delivered.queue, delivered.completion());
  auto result = delivered.wait();
  release->raise();
  ASSERT_FALSE(result);
  const auto& underlying = platform::errorAs<GenerateContentError>(result.error())->underlying();
  EXPECT_EQ(underlying->code(), platform::URLErrorTimedOut);
  // What the compose session and the connection test show after their 180 s.
  EXPECT_EQ(result.error()->localizedDescription(), "The request timed out.");
}

TEST_F(ServiceTest, AReplyPastTheBodyLimitFailsClearly) {
  VertexAIBackend backend;
  backend.server.handle([](auto& exchange) {
    exchange.sendRaw("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                     std::to_string(platform::kMaximumReplyBodyBytes + 1) + "\r\nConnection: close\r\n\r\n{\"candidates\":");
  });
  Delivered<GenerateContentResponse> delivered;
  model()->generateContent("Hi", delivered.queue, delivered.completion());
  auto result = delivered.wait();
  ASSERT_FALSE(result);
  const auto& underlying = platform::errorAs<GenerateContentError>(result.error())->underlying();
  EXPECT_EQ(underlying->code(), platform::URLErrorDataLengthExceedsMaximum);
  EXPECT_EQ(underlying->localizedDescription(), "The reply is larger than the limit of 64 MB.");
}

}  // namespace
}  // namespace firebase::vertexai
