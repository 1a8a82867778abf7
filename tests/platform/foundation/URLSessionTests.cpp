#include <future>
#include <thread>

#include <gtest/gtest.h>

#include <zlib.h>

#include "foundation/Dispatch.hpp"
#include "foundation/URLSession.hpp"
#include "test_support/LoopbackServer.hpp"

using platform::URLRequest;
using platform::URLSession;
using test_support::LoopbackServer;
using namespace std::chrono_literals;

namespace {

struct Outcome {
  std::optional<std::string> body;
  std::optional<platform::HTTPURLResponse> response;
  platform::ErrorPtr error;
  bool onMainThread = true;
  int calls = 0;
};

Outcome send(URLRequest request) {
  auto calls = std::make_shared<std::atomic<int>>(0);
  std::promise<Outcome> promise;
  URLSession::shared().dataTask(std::move(request), [&, calls](auto body, auto response, auto error) {
    if (++*calls > 1) return;  // a second call would be a fault; counted below
    promise.set_value(Outcome{std::move(body), std::move(response), std::move(error), platform::isMainThread(), 1});
  });
  auto future = promise.get_future();
  EXPECT_EQ(future.wait_for(20s), std::future_status::ready);
  auto outcome = future.get();
  std::this_thread::sleep_for(20ms);
  outcome.calls = *calls;
  return outcome;
}

URLRequest post(const std::string& url, std::string body = "{}") {
  return URLRequest{url, "POST", {{"Content-Type", "application/json"}, {"Authorization", "Bearer k"}}, std::move(body),
                    10};
}

// The bytes gzip-compressed, as a server sends a body with that content coding.
std::string gzipped(const std::string& bytes) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, bytes.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

TEST(URLSession, SendsExactlyTheRequestAndDeliversTheReplyOffTheMainThread) {
  LoopbackServer server;
  server.reply({200, R"({"ok":true})", "application/json", {{"X-Reply", "1"}}});
  auto outcome = send(post(server.baseURL() + "/v1/chat/completions", R"({"model":"m"})"));
  ASSERT_EQ(outcome.error, nullptr);
  EXPECT_EQ(outcome.calls, 1);
  EXPECT_FALSE(outcome.onMainThread);
  EXPECT_EQ(outcome.response->statusCode, 200);
  EXPECT_EQ(outcome.body, R"({"ok":true})");
  bool sawReplyHeader = false;
  for (const auto& [name, value] : outcome.response->headers) sawReplyHeader |= name == "X-Reply" && value == "1";
  EXPECT_TRUE(sawReplyHeader);

  auto request = server.lastRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.path, "/v1/chat/completions");
  EXPECT_EQ(request.body, R"({"model":"m"})");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(request.header("Authorization"), "Bearer k");
  EXPECT_FALSE(request.hasHeader("Expect"));
}

TEST(URLSession, StatusesAndBodiesArePassedOnAsTheyCame) {
  LoopbackServer server;
  struct Case {
    int status;
    std::string body;
    std::optional<std::string> expected;
  } cases[] = {
      {200, "", std::string()},  // an empty body is still a body
      {201, "{}", std::string("{}")},
      {404, "not found", std::string("not found")},
      {204, "", std::nullopt},  // this status carries no body at all
  };
  for (const auto& c : cases) {
    server.reply(c.status, c.body);
    auto outcome = send(post(server.baseURL() + "/x"));
    ASSERT_EQ(outcome.error, nullptr) << c.status;
    EXPECT_EQ(outcome.response->statusCode, c.status);
    EXPECT_EQ(outcome.body, c.expected) << c.status;
  }
}

TEST(URLSession, TransportFailuresCarryThePlatformDomainAndCode) {
  struct Case {
    std::string url;
    long code;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()) + "/", platform::URLErrorCannotConnectToHost},
      {"ftp://127.0.0.1/file", platform::URLErrorUnsupportedURL},
      {"file:///etc/passwd", platform::URLErrorUnsupportedURL},
  };
  for (const auto& c : cases) {
    auto outcome = send(post(c.url));
    ASSERT_NE(outcome.error, nullptr) << c.url;
    EXPECT_EQ(outcome.error->domain(), "NSURLErrorDomain");
    EXPECT_EQ(outcome.error->code(), c.code) << c.url;
    EXPECT_FALSE(outcome.response);
    EXPECT_FALSE(outcome.body);
  }
}

TEST(URLSession, ASilentServerTimesOutAfterTheIdleTime) {
  LoopbackServer server;
  server.reply({200, "{}", "application/json", {}, 1500ms});
  auto request = post(server.baseURL() + "/slow");
  request.timeoutInterval = 0.3;
  auto started = std::chrono::steady_clock::now();
  auto outcome = send(request);
  auto took = std::chrono::steady_clock::now() - started;
  ASSERT_NE(outcome.error, nullptr);
  EXPECT_EQ(outcome.error->code(), platform::URLErrorTimedOut);
  EXPECT_EQ(outcome.error->localizedDescription(), "The request timed out.");
  EXPECT_LT(took, 1200ms);
}

TEST(URLSession, RedirectsStayOnHttpAndCredentialsStayWithTheirHost) {
  LoopbackServer target, origin;
  target.reply(200, R"({"answer":1})");
  const std::string elsewhere = "http://localhost:" + std::to_string(target.port());
  auto request = post(origin.baseURL() + "/start");
  request.headers.emplace_back("x-goog-api-key", "secret");
  request.headers.emplace_back("Cookie", "session=1");

  // To another host: only what describes the content goes along.
  origin.reply({307, "", "text/plain", {{"Location", elsewhere + "/next"}}});
  auto outcome = send(request);
  ASSERT_EQ(outcome.error, nullptr);
  EXPECT_EQ(outcome.response->statusCode, 200);
  EXPECT_EQ(outcome.response->url, elsewhere + "/next");
  EXPECT_EQ(outcome.body, R"({"answer":1})");
  ASSERT_EQ(target.requestCount(), 1u);
  for (const char* credential : {"Authorization", "x-goog-api-key", "Cookie"})
    EXPECT_FALSE(target.lastRequest().hasHeader(credential)) << credential;
  EXPECT_EQ(target.lastRequest().header("Content-Type"), "application/json");
  EXPECT_EQ(target.lastRequest().method, "POST");  // 307 keeps the method and body
  EXPECT_EQ(target.lastRequest().body, "{}");
  EXPECT_EQ(origin.lastRequest().header("x-goog-api-key"), "secret");

  // On the same host everything goes along; 303 continues with GET.
  origin.handle([&](const LoopbackServer::Request& r) -> LoopbackServer::Reply {
    if (r.path == "/start") return {303, "", "text/plain", {{"Location", "/same"}}};
    return {200, "same", "text/plain", {}};
  });
  auto same = send(request);
  ASSERT_EQ(same.error, nullptr);
  EXPECT_EQ(same.body, "same");
  EXPECT_EQ(origin.lastRequest().path, "/same");
  EXPECT_EQ(origin.lastRequest().method, "GET");
  EXPECT_EQ(origin.lastRequest().header("Authorization"), "Bearer k");
  EXPECT_EQ(origin.lastRequest().header("x-goog-api-key"), "secret");

  struct Refused {
    std::string location;
    long code;
  } refusals[] = {{"file:///etc/passwd", platform::URLErrorUnsupportedURL},
                  {"/start", platform::URLErrorHTTPTooManyRedirects}};
  for (const auto& refused : refusals) {
    origin.reply({302, "", "text/plain", {{"Location", refused.location}}});
    auto failed = send(post(origin.baseURL() + "/start"));
    ASSERT_NE(failed.error, nullptr) << refused.location;
    EXPECT_EQ(failed.error->code(), refused.code) << refused.location;
    EXPECT_EQ(failed.calls, 1);
  }
}

TEST(URLSession, HeaderFieldsWithLineBreaksAreNeverSent) {
  LoopbackServer server;
  for (const auto& field : std::vector<platform::HeaderFields::value_type>{
           {"Authorization", "Bearer key\r\nX-Injected: yes"}, {"Authorization", "Bearer pasted-key\n"},
           {"X-Split\r\nX-Injected", "1"}}) {
    auto request = post(server.baseURL() + "/x");
    request.headers.push_back(field);
    auto outcome = send(request);
    ASSERT_NE(outcome.error, nullptr) << field.first;
    EXPECT_EQ(outcome.error->domain(), "NSURLErrorDomain");
    EXPECT_EQ(outcome.error->localizedDescription(), "A header field holds a line break and cannot be sent.");
    EXPECT_EQ(outcome.calls, 1);
  }
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST(URL, ParsesAbsoluteURLsOnly) {
  auto url = platform::URL::parse("HTTPS://api.example.com:8443/v1");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->host(), "api.example.com");
  EXPECT_EQ(url->port(), 8443);
  EXPECT_EQ(url->absoluteString(), "HTTPS://api.example.com:8443/v1");
  for (const char* bad : {"", "https://", "not a url", " http://x", "http://exa mple.com"})
    EXPECT_FALSE(platform::URL::parse(bad).has_value()) << bad;
  EXPECT_TRUE(platform::URL::parse("ftp://x").has_value());
  auto noHost = platform::URL::parse("http:///v1");
  EXPECT_TRUE(!noHost || noHost->host().empty());
}

// A limit on the body ends a longer reply, whether its length is declared
// or only found while the (here decompressed) body arrives.
TEST(URLSession, ABodyLongerThanTheRequestAllowsFails) {
  LoopbackServer server;
  const std::string large(64 * 1024, 'x');
  struct Case {
    const char* name;
    LoopbackServer::Reply reply;
    bool fails;
  } cases[] = {
      {"declared length over the limit", {200, large, "text/plain", {}}, true},
      {"small body that inflates over it", {200, gzipped(large), "text/plain", {{"Content-Encoding", "gzip"}}}, true},
      {"body at the limit", {200, std::string(1000, 'y'), "text/plain", {}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server.reply(c.reply);
    URLRequest request{server.baseURL() + "/feed", "GET", {}, std::nullopt, 10};
    request.maximumBodyBytes = 1000;
    auto outcome = send(request);
    EXPECT_EQ(outcome.calls, 1);
    if (c.fails) {
      ASSERT_NE(outcome.error, nullptr);
      EXPECT_EQ(outcome.error->code(), platform::URLErrorDataLengthExceedsMaximum);
      EXPECT_FALSE(outcome.body);
    } else {
      ASSERT_EQ(outcome.error, nullptr);
      EXPECT_EQ(outcome.body->size(), 1000u);
    }
  }
}
