#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>

#include <gtest/gtest.h>

#include <zlib.h>

#include "foundation/Dispatch.hpp"
#include "foundation/URLSession.hpp"
#include "test_support/ConnectionCounter.hpp"
#include "test_support/Gzip.hpp"
#include "test_support/LoopbackServer.hpp"
#include "test_support/ScriptedHTTPServer.hpp"
#include "test_support/TestEnvironment.hpp"

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
  // Set when the session lets go of the completion: no call can come after.
  std::promise<void> released;
  std::shared_ptr<void> sentinel(nullptr, [&](void*) { released.set_value(); });
  URLSession::shared().dataTask(std::move(request), [&, calls, sentinel](auto body, auto response, auto error) {
    if (++*calls > 1) return;  // a second call would be a fault; counted below
    promise.set_value(Outcome{std::move(body), std::move(response), std::move(error), platform::isMainThread(), 1});
  });
  sentinel.reset();
  auto future = promise.get_future();
  EXPECT_EQ(future.wait_for(test_support::kHangGuard), std::future_status::ready);
  auto outcome = future.get();
  EXPECT_EQ(released.get_future().wait_for(test_support::kHangGuard), std::future_status::ready);
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
  std::promise<void> testEnds;  // the reply is held until then
  server.handle([held = testEnds.get_future().share()](const LoopbackServer::Request&) {
    held.wait();
    return LoopbackServer::Reply{200, "{}", "application/json", {}};
  });
  auto request = post(server.baseURL() + "/slow");
  request.timeoutInterval = 0.3;
  auto outcome = send(request);
  ASSERT_NE(outcome.error, nullptr);
  EXPECT_EQ(outcome.error->code(), platform::URLErrorTimedOut);
  EXPECT_EQ(outcome.error->localizedDescription(), "The request timed out.");
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

// --- What a URL names -----------------------------------------------------------

struct URLCase {
  const char* name;
  std::string text;
  bool parses;
  std::string host = {};  // empty: the URL names no host
};
void PrintTo(const URLCase& c, std::ostream* os) { *os << c.name; }

class URLParse : public ::testing::TestWithParam<URLCase> {};

TEST_P(URLParse, FindsTheHostOnlyInTheAuthority) {
  const auto& c = GetParam();
  auto url = platform::URL::parse(c.text);
  ASSERT_EQ(url.has_value(), c.parses) << c.text;
  if (!url) return;
  EXPECT_EQ(url->host(), c.host) << c.text;
  EXPECT_EQ(url->absoluteString(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, URLParse,
    ::testing::Values(URLCase{"HostAndPort", "HTTPS://api.example.com:8443/v1", true, "api.example.com"},
                      URLCase{"IPv6Host", "http://[::1]:80/x", true, "[::1]"},
                      URLCase{"UserInfoIsNotTheHost", "http://user:pw@h.example/x", true, "h.example"},
                      URLCase{"OtherSchemeParses", "ftp://x", true, "x"},
                      // libcurl reads the first path segment of these as the host.
                      URLCase{"EmptyAuthority", "http:///H/v1", true},
                      URLCase{"OneSlash", "http:/H/v1", true},
                      URLCase{"EmptyAuthorityBeforeThePath", "https:///chat/completions", true},
                      URLCase{"EmptyAuthorityInCapitals", "HTTP:///H", true},
                      URLCase{"FileHasNoHost", "file:///etc/passwd", true},
                      URLCase{"BlankHostWithPort", "http://:8080/v1", false},
                      URLCase{"BlankHost", "http:// /v1", false},
                      URLCase{"UserInfoWithoutHost", "http://user@/v1", false},
                      URLCase{"NothingAfterTheSlashes", "https://", false},
                      URLCase{"Empty", "", false},
                      URLCase{"NoScheme", "api.example.com/v1", false},
                      URLCase{"Words", "not a url", false},
                      URLCase{"LeadingBlank", " http://x", false},
                      URLCase{"BlankInTheHost", "http://exa mple.com", false},
                      URLCase{"Backslashes", "http:\\\\H\\v1", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(URL, ResolvesReferencesAsWrittenWithoutInventingAHost) {
  auto base = platform::URL::parse("https://api.example.com/v1/chat?x=1");
  ASSERT_TRUE(base);
  struct Case {
    std::string reference;
    std::optional<std::string> resolved;  // nullopt: not well-formed
    std::string host;
  } cases[] = {
      {"/other", "https://api.example.com/other", "api.example.com"},
      {"completions", "https://api.example.com/v1/completions", "api.example.com"},
      {"?page=2", "https://api.example.com/v1/chat?page=2", "api.example.com"},
      {"//elsewhere.example/x", "https://elsewhere.example/x", "elsewhere.example"},
      {"http://other.example/", "http://other.example/", "other.example"},
      {"http:///127.0.0.1:9/", "http:///127.0.0.1:9/", ""},
      {"///127.0.0.1:9/", "https:///127.0.0.1:9/", ""},
      {"ftp://files.example/", "ftp://files.example/", "files.example"},
      {"http://exa mple.com/", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    auto url = base->resolve(c.reference);
    ASSERT_EQ(url.has_value(), c.resolved.has_value()) << c.reference;
    if (!url) continue;
    EXPECT_EQ(url->absoluteString(), *c.resolved) << c.reference;
    EXPECT_EQ(url->host(), c.host) << c.reference;
  }
}

// --- What is sent ---------------------------------------------------------------

TEST(URLSession, URLsThatNameNoHostAreNeverSent) {
  test_support::ConnectionCounter listener;
  const std::string hostAndPort = "127.0.0.1:" + std::to_string(listener.port());
  for (const std::string& url : {"http:///" + hostAndPort + "/v1", "http:/" + hostAndPort + "/v1",
                                 "https:///" + hostAndPort + "/chat/completions", "HTTP:///" + hostAndPort,
                                 "http://:" + std::to_string(listener.port()) + "/v1", "http:// /" + hostAndPort}) {
    auto outcome = send(post(url));
    ASSERT_NE(outcome.error, nullptr) << url;
    EXPECT_EQ(outcome.error->domain(), platform::kURLErrorDomain);
    EXPECT_EQ(outcome.error->code(), platform::URLErrorBadURL) << url;
    EXPECT_EQ(outcome.calls, 1);
  }
  EXPECT_EQ(listener.acceptedConnections(), 0);
}

TEST(URLSession, ARedirectToAURLWithoutAHostIsNotFollowed) {
  test_support::ConnectionCounter listener;
  LoopbackServer origin;
  origin.reply({307, "", "text/plain", {{"Location", "http:///127.0.0.1:" + std::to_string(listener.port()) + "/"}}});
  auto outcome = send(post(origin.baseURL() + "/start"));
  ASSERT_NE(outcome.error, nullptr);
  EXPECT_EQ(listener.acceptedConnections(), 0);
}

// --- How much of a reply is kept -----------------------------------------------

struct LimitCase {
  const char* name;
  std::size_t requestedLimit;
  std::size_t bodyBytes;
  bool gzipped;
  std::string failure;  // empty: the whole body arrives
};
void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class ReplyLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ReplyLimit, CountsDecodedBytes) {
  const auto& c = GetParam();
  LoopbackServer server;
  LoopbackServer::Reply reply{200, std::string(c.bodyBytes, '\0'), "application/octet-stream", {}};
  if (c.gzipped) {
    reply.body = test_support::gzippedZeros(c.bodyBytes);
    reply.headers.emplace_back("Content-Encoding", "gzip");
  }
  server.reply(reply);
  auto request = post(server.baseURL() + "/reply");
  request.maximumReplyBytes = c.requestedLimit;
  auto outcome = send(request);
  EXPECT_EQ(outcome.calls, 1);
  if (c.failure.empty()) {
    ASSERT_EQ(outcome.error, nullptr) << outcome.error->localizedDescription();
    ASSERT_TRUE(outcome.body);
    EXPECT_EQ(outcome.body->size(), c.bodyBytes);
    return;
  }
  ASSERT_NE(outcome.error, nullptr);
  EXPECT_EQ(outcome.error->domain(), platform::kURLErrorDomain);
  EXPECT_EQ(outcome.error->code(), platform::URLErrorDataLengthExceedsMaximum);
  EXPECT_EQ(outcome.error->localizedDescription(), c.failure);
  EXPECT_FALSE(outcome.body);
}

constexpr std::size_t kMB = 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyLimit,
    ::testing::Values(
        LimitCase{"ExactlyAtTheCallersLimit", 1000, 1000, false, ""},
        LimitCase{"OneByteAboveTheCallersLimit", 1000, 1001, false,
                  "The reply is larger than the limit of 1000 bytes."},
        LimitCase{"GzipInflatingPastTheCallersLimit", 2 * kMB, 3 * kMB, true,
                  "The reply is larger than the limit of 2 MB."},
        LimitCase{"GzipWithinTheCallersLimit", 2 * kMB, 2 * kMB, true, ""},
        // A caller cannot raise the session's own limit.
        LimitCase{"GzipBombStopsAtTheSessionsLimit", 1024 * kMB, 65 * kMB, true,
                  "The reply is larger than the limit of 64 MB."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyBodyLimit, AdmitsChunksUpToItsBytesAndRestartsForANewReply) {
  platform::ReplyBodyLimit limit(10);
  EXPECT_TRUE(limit.admit(6));
  EXPECT_FALSE(limit.admit(5));
  EXPECT_EQ(limit.received(), 6u);
  EXPECT_TRUE(limit.admit(4));
  EXPECT_FALSE(limit.admit(1));
  limit.restart();
  EXPECT_TRUE(limit.admit(10));
  EXPECT_EQ(platform::ReplyBodyLimit(std::size_t(-1)).bytes(), platform::kMaximumReplyBodyBytes);
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
    request.maximumReplyBytes = 1000;
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

// A reply whose header fields run past 100 KB, in one field or in many, fails
// with an error that says so, instead of an unknown error or a lost
// connection.
TEST(URLSession, AReplyHeaderPastTheLimitFailsSayingSo) {
  constexpr std::size_t kKB = 1024;
  struct Case {
    const char* name;
    const char* fieldName;
    int fields;
    std::size_t bytesPerField;
    bool fails;
  } cases[] = {
      {"one field of 1 MB", "X-Field-", 1, 1024 * kKB, true},
      {"forty fields of 26 KB", "X-Field-", 40, 26 * kKB, true},
      // A field is no status line, whatever its name begins with.
      {"forty fields of 26 KB named like a status line", "HTTP/", 40, 26 * kKB, true},
      {"one field of 90 KB", "X-Field-", 1, 90 * kKB, false},
      {"forty fields of 2 KB", "X-Field-", 40, 2 * kKB, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::ScriptedHTTPServer server;
    server.handle([&](test_support::ScriptedHTTPServer::Exchange& exchange) {
      std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n";
      for (int field = 0; field < c.fields; ++field)
        reply += c.fieldName + std::to_string(field) + ": " + std::string(c.bytesPerField, 'a') + "\r\n";
      exchange.sendRaw(reply + "\r\n{}");
    });
    auto outcome = send(post(server.baseURL() + "/v1"));
    EXPECT_EQ(outcome.calls, 1);
    if (!c.fails) {
      ASSERT_EQ(outcome.error, nullptr) << outcome.error->debugDescription();
      EXPECT_EQ(outcome.body, "{}");
      continue;
    }
    ASSERT_NE(outcome.error, nullptr);
    EXPECT_EQ(outcome.error->domain(), platform::kURLErrorDomain);
    EXPECT_EQ(outcome.error->code(), platform::URLErrorDataLengthExceedsMaximum);
    EXPECT_EQ(outcome.error->localizedDescription(), "The reply's header is larger than the limit of 100 KB.");
    EXPECT_FALSE(outcome.body);
  }
}

// An interim reply's header counts apart from the reply's own, and only the
// reply's own fields are delivered.
TEST(URLSession, AnInterimReplysHeaderIsNotTheReplys) {
  test_support::ScriptedHTTPServer server;
  const std::string nearlyTheLimit(90 * 1024, 'a');
  server.handle([&](test_support::ScriptedHTTPServer::Exchange& exchange) {
    exchange.sendRaw("HTTP/1.1 103 Early Hints\r\nX-Interim: " + nearlyTheLimit +
                     "\r\n\r\n"
                     "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Final: " +
                     nearlyTheLimit + "\r\n\r\n{}");
  });
  auto outcome = send(post(server.baseURL() + "/v1"));
  ASSERT_EQ(outcome.error, nullptr) << outcome.error->debugDescription();
  EXPECT_EQ(outcome.response->statusCode, 200);
  EXPECT_EQ(outcome.body, "{}");
  std::vector<std::string> names;
  for (const auto& [name, value] : outcome.response->headers) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"Content-Length", "X-Final"}));
}

namespace {

struct FailingReplyCase {
  const char* name;
  std::string reply;  // as the server writes it
  int repeats;        // times it is written, until the client has gone
  long code;
  std::string description;
};
void PrintTo(const FailingReplyCase& c, std::ostream* os) { *os << c.name; }
class FailingReply : public ::testing::TestWithParam<FailingReplyCase> {};

const std::string kPlainJSON = R"({"ok":true})";
std::string withCoding(const std::string& coding) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Encoding: " + coding +
         "\r\nContent-Length: " + std::to_string(kPlainJSON.size()) + "\r\n\r\n" + kPlainJSON;
}

}  // namespace

// A reply that fails says why, in words that fit what the server did.
TEST_P(FailingReply, SaysWhatWentWrong) {
  const auto& c = GetParam();
  test_support::ScriptedHTTPServer server;
  server.handle([&](test_support::ScriptedHTTPServer::Exchange& exchange) {
    for (int i = 0; i < c.repeats && exchange.sendRaw(c.reply); ++i) {
    }
  });
  auto outcome = send(post(server.baseURL() + "/v1"));
  ASSERT_NE(outcome.error, nullptr);
  EXPECT_EQ(outcome.error->domain(), platform::kURLErrorDomain);
  EXPECT_EQ(outcome.error->code(), c.code);
  EXPECT_EQ(outcome.error->localizedDescription(), c.description);
  EXPECT_FALSE(outcome.body);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FailingReply,
    ::testing::Values(
        FailingReplyCase{"NoStatusLine", kPlainJSON + "\n", 1, platform::URLErrorBadServerResponse,
                         "The server's reply is not an HTTP reply: it does not begin with a status line."},
        // What an HTTP/2-only server answers: its SETTINGS frame, then GOAWAY.
        FailingReplyCase{"HTTP2Only",
                         std::string("\0\0\0\4\0\0\0\0\0\0\0\x08\7\0\0\0\0\0\0\0\0\0\0\0\1", 25), 1,
                         platform::URLErrorBadServerResponse,
                         "The server's reply is not an HTTP reply: it does not begin with a status line."},
        FailingReplyCase{"GzipOverPlainJSON", withCoding("gzip"), 1, platform::URLErrorCannotDecodeContentData,
                         "The server's reply could not be decoded: its body is not in the Content-Encoding it names."},
        FailingReplyCase{"BrotliOverPlainJSON", withCoding("br"), 1, platform::URLErrorCannotDecodeContentData,
                         "The server's reply could not be decoded: its body is not in the Content-Encoding it names."},
        FailingReplyCase{"DeflateOverPlainJSON", withCoding("deflate"), 1, platform::URLErrorCannotDecodeContentData,
                         "The server's reply could not be decoded: its body is not in the Content-Encoding it names."},
        FailingReplyCase{"FloodOfInterimReplies", "HTTP/1.1 100 Continue\r\n\r\n", 20000,
                         platform::URLErrorDataLengthExceedsMaximum,
                         "The reply's header is larger than the limit of 100 KB."}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

// A TLS server on 127.0.0.1 whose certificate it signed itself, as a private
// deployment or an intercepting proxy has it; it takes one handshake.
class SelfSignedTLSServer {
 public:
  SelfSignedTLSServer() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    X509_sign(certificate, key, EVP_sha256());
    context_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(context_, certificate);
    SSL_CTX_use_PrivateKey(context_, key);
    X509_free(certificate);
    EVP_PKEY_free(key);

    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      SSL* ssl = SSL_new(context_);
      SSL_set_fd(ssl, connection);
      SSL_accept(ssl);  // the client gives up on the certificate
      SSL_free(ssl);
      ::close(connection);
    });
  }
  ~SelfSignedTLSServer() {
    ::shutdown(listener_, SHUT_RDWR);  // ends a wait for a client that never came
    thread_.join();
    ::close(listener_);
    SSL_CTX_free(context_);
  }
  std::string baseURL() const { return "https://127.0.0.1:" + std::to_string(port_); }

 private:
  SSL_CTX* context_ = nullptr;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace

TEST(URLSession, ASelfSignedCertificateIsNamedAsNotTrusted) {
  SelfSignedTLSServer server;
  auto outcome = send(post(server.baseURL() + "/v1"));
  ASSERT_NE(outcome.error, nullptr);
  EXPECT_EQ(outcome.error->code(), platform::URLErrorServerCertificateUntrusted);
  EXPECT_EQ(outcome.error->localizedDescription(),
            "The certificate of the server \"127.0.0.1\" is not trusted, so a secure connection to it cannot be made.");
}
