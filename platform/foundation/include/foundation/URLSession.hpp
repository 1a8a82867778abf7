#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/Error.hpp"
#include "foundation/ReplyBodyLimit.hpp"
#include "foundation/URL.hpp"

namespace platform {

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

struct URLRequest {
  std::string url;
  std::string method = "GET";
  HeaderFields headers;  // the request's complete header fields, in order
  std::optional<std::string> body;
  // Seconds without any progress (connecting, sending or receiving) after
  // which the request fails with a time-out, as the platform does.
  double timeoutInterval = 60;
  // The most decoded body bytes the reply may bring; a caller may ask for
  // less than kMaximumReplyBodyBytes, never for more.
  std::size_t maximumReplyBytes = kMaximumReplyBodyBytes;
};

struct HTTPURLResponse {
  std::string url;  // after redirects
  int statusCode = 0;
  HeaderFields headers;
};

// Transport failures carry this domain and the platform's codes.
inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";
enum URLErrorCode : long {
  URLErrorUnknown = -1,
  URLErrorCancelled = -999,
  URLErrorBadURL = -1000,
  URLErrorTimedOut = -1001,
  URLErrorUnsupportedURL = -1002,
  URLErrorCannotFindHost = -1003,
  URLErrorCannotConnectToHost = -1004,
  URLErrorNetworkConnectionLost = -1005,
  URLErrorHTTPTooManyRedirects = -1007,
  URLErrorBadServerResponse = -1011,
  URLErrorCannotDecodeContentData = -1016,
  URLErrorDataLengthExceedsMaximum = -1103,
  URLErrorSecureConnectionFailed = -1200,
  URLErrorServerCertificateUntrusted = -1202,
};

// The body is absent when the reply has no message body at all (a transport
// failure, or a status that carries none); an empty body is present and empty.
using DataTaskCompletion = std::function<void(std::optional<std::string> body,
                                              std::optional<HTTPURLResponse> response, ErrorPtr error)>;

// What a bytes task hands over, in this order, on the session's thread:
// the final response (after redirects) before any of its body, the body in
// pieces as they arrive, then the end, exactly once: null when the body is
// complete, else why it stopped (a transport failure before any response
// comes without the response).
struct BytesTaskHandlers {
  std::function<void(const HTTPURLResponse& response)> onResponse;
  std::function<void(std::string_view piece)> onData;
  std::function<void(ErrorPtr error)> onComplete;
};

// A started task. Cancelling stops its exchange; its completion still runs
// exactly once, with the cancelled error, unless it had already run.
class URLSessionTask {
 public:
  void cancel();
  bool isCancelled() const;

  struct State;
  explicit URLSessionTask(std::shared_ptr<State> state) : state_(std::move(state)) {}

 private:
  std::shared_ptr<State> state_;
};

// One data task per request, all on one shared session that keeps
// connections alive. Only http and https URLs that name a host are sent,
// redirects included (at most 16), and libcurl gets the URL as parsed here,
// never the text to read again in its own way; TLS is always verified. A reply
// whose decoded body goes past the request's limit fails as soon as it does. A redirect to another scheme, host or port
// takes along only the fields that describe the content (Content-Type, Accept,
// Accept-Language, User-Agent), so credentials never leave their host whatever
// field carries them. A header field holding a line break fails the request
// instead of being sent. Completions run on the session's own thread.
class URLSession {
 public:
  static URLSession& shared();

  // Starts the request at once; the completion is called exactly once.
  std::shared_ptr<URLSessionTask> dataTask(URLRequest request, DataTaskCompletion completion);
  // The same exchange, with the same rules, handing the body over as it
  // arrives instead of collecting it (server-sent events): the session keeps
  // none of it, however long the body runs.
  std::shared_ptr<URLSessionTask> bytesTask(URLRequest request, BytesTaskHandlers handlers);

  ~URLSession();

  struct Impl;

 private:
  URLSession();
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
