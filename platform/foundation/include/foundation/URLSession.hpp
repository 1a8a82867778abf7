#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Error.hpp"

namespace platform {

// A parsed absolute URL (RFC 3986). Any scheme parses; only http and https
// can be sent.
class URL {
 public:
  // Absent when the text is not a well-formed absolute URL.
  static std::optional<URL> parse(const std::string& text);

  const std::string& absoluteString() const { return text_; }
  const std::string& scheme() const { return scheme_; }
  const std::string& host() const { return host_; }
  const std::string& path() const { return path_; }
  std::optional<int> port() const { return port_; }

 private:
  std::string text_, scheme_, host_, path_;
  std::optional<int> port_;
};

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

struct URLRequest {
  std::string url;
  std::string method = "GET";
  HeaderFields headers;  // the request's complete header fields, in order
  std::optional<std::string> body;
  // Seconds without any progress (connecting, sending or receiving) after
  // which the request fails with a time-out, as the platform does.
  double timeoutInterval = 60;
  // The most body bytes the reply may carry (after decoding); a longer reply
  // fails with URLErrorDataLengthExceedsMaximum as soon as it is seen. 0 is
  // no limit.
  std::size_t maximumBodyBytes = 0;
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
  URLErrorDataLengthExceedsMaximum = -1103,
  URLErrorSecureConnectionFailed = -1200,
};

// The body is absent when the reply has no message body at all (a transport
// failure, or a status that carries none); an empty body is present and empty.
using DataTaskCompletion = std::function<void(std::optional<std::string> body,
                                              std::optional<HTTPURLResponse> response, ErrorPtr error)>;

// One data task per request, all on one shared session that keeps
// connections alive. Only http and https are sent, redirects included (at most
// 16); TLS is always verified. A redirect to another scheme, host or port
// takes along only the fields that describe the content (Content-Type, Accept,
// Accept-Language, User-Agent), so credentials never leave their host whatever
// field carries them. A header field holding a line break fails the request
// instead of being sent. Completions run on the session's own thread.
class URLSession {
 public:
  static URLSession& shared();

  // Starts the request at once; the completion is called exactly once.
  void dataTask(URLRequest request, DataTaskCompletion completion);

  ~URLSession();

  struct Impl;

 private:
  URLSession();
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
