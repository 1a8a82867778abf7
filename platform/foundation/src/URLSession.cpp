#include "foundation/URLSession.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <expected>
#include <list>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>

#include <fmt/format.h>

#include "foundation/Dispatch.hpp"
#include "foundation/Text.hpp"

namespace platform {
namespace {

// Redirects followed before a request fails, as the platform allows.
constexpr int kMaxRedirects = 16;

// A body past this size is no longer grown step by step (see onBody).
constexpr std::size_t kLargeBodyBytes = 1024 * 1024;

// The most bytes one reply's header may take, its status line and fields
// together. libcurl refuses a single field past this size by itself (as if
// out of memory); all the fields together are held to it here, since
// libcurl's own, larger limit ends the transfer as a lost connection.
constexpr std::size_t kMaximumHeaderBytes = CURL_MAX_HTTP_HEADER;

using CurlURLPtr = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// Wakes the session's thread; cancelling tasks may outlive the session.
struct Waker {
  std::mutex mutex;
  CURLM* multi = nullptr;
  void wake() {
    std::lock_guard lock(mutex);
    if (multi) curl_multi_wakeup(multi);
  }
};

}  // namespace

struct URLSessionTask::State {
  std::atomic<bool> cancelled{false};
  std::shared_ptr<Waker> waker;
};

void URLSessionTask::cancel() {
  if (state_->cancelled.exchange(true)) return;
  state_->waker->wake();
}

bool URLSessionTask::isCancelled() const { return state_->cancelled.load(); }

namespace {

ErrorPtr transportError(long code, const std::string& description, const std::string& url, const std::string& detail);

struct Transfer {
  URLRequest request;
  // A data task's completion, or a bytes task's handlers.
  DataTaskCompletion completion;
  std::optional<BytesTaskHandlers> bytes;
  std::shared_ptr<URLSessionTask::State> state;
  std::string firstURL;  // where the caller sent the request
  int redirects = 0;
  CURL* easy = nullptr;
  curl_slist* headerList = nullptr;
  CurlURLPtr url{nullptr, &curl_url_cleanup};  // the parse that was checked, as curl sends it
  std::string responseBody;
  ReplyBodyLimit bodyLimit;
  bool bodyLimitExceeded = false;
  HeaderFields responseHeaders;
  std::size_t headerBytes = 0;  // of the reply being received
  std::size_t interimHeaderBytes = 0;  // of the interim (1xx) replies before it, together
  bool headerComplete = false;  // its blank line has come
  bool headerLimitExceeded = false;
  char curlError[CURL_ERROR_SIZE] = {};  // libcurl's own words for a failure
  bool responseDelivered = false;  // a bytes task's onResponse has run
  Clock::time_point lastActivity;
  curl_off_t lastDownloaded = 0, lastUploaded = 0;

  Clock::duration idleLimit() const {
    auto seconds = request.timeoutInterval > 0 ? std::min(request.timeoutInterval, 1e9) : 60.0;  // 1e9 s fits the clock
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  }
  bool isCancelled() const { return state->cancelled.load(); }
  // Lets go of the handle of the last attempt, before the next one.
  void release() {
    if (easy) curl_easy_cleanup(std::exchange(easy, nullptr));
    if (headerList) curl_slist_free_all(std::exchange(headerList, nullptr));
    url.reset();
  }

  HTTPURLResponse currentResponse() {
    long status = 0;
    char* effectiveURL = nullptr;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effectiveURL);
    return {effectiveURL ? effectiveURL : request.url, static_cast<int>(status), responseHeaders};
  }
  // A reply that will be followed to its new address; its body is dropped.
  bool isBeingRedirected();

  void deliverResponseOnce() {
    if (std::exchange(responseDelivered, true)) return;
    bytes->onResponse(currentResponse());
  }
  // Ends the task without a reply.
  void fail(ErrorPtr error) {
    if (bytes) bytes->onComplete(std::move(error));
    else completion(std::nullopt, std::nullopt, std::move(error));
  }
  void failCancelled() {
    fail(transportError(URLErrorCancelled, "cancelled", request.url, "the task was cancelled"));
  }
  ~Transfer() { release(); }
};

std::optional<std::string> headerValue(const HeaderFields& headers, const std::string& name) {
  for (const auto& [field, value] : headers)
    if (text::lowercased(field) == text::lowercased(name)) return value;
  return std::nullopt;
}

// The body's size as the reply declares it, when that is its decoded size
// too: a Content-Length without a content coding. Absent otherwise.
std::optional<curl_off_t> declaredBodySize(const Transfer& t) {
  if (auto coding = headerValue(t.responseHeaders, "Content-Encoding"); coding && text::lowercased(*coding) != "identity")
    return std::nullopt;
  curl_off_t length = -1;
  if (curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK || length < 0)
    return std::nullopt;
  return length;
}

// Receives the body as curl decodes it, so the limit counts decoded bytes.
size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  t->lastActivity = Clock::now();
  if (t->bytes) {
    // Handed over as it comes and kept nowhere: the reader bounds what it
    // keeps, so a stream has no limit of its own.
    if (t->isCancelled()) return 0;  // stops the transfer at once
    if (t->isBeingRedirected()) return bytes;
    t->deliverResponseOnce();
    t->bytes->onData(std::string_view(data, bytes));
    return bytes;
  }
  auto& body = t->responseBody;
  if (t->bodyLimit.received() == 0) {
    // A body declared larger than the limit fails at its first bytes; one
    // declared within it gets its room at once.
    if (auto declared = declaredBodySize(*t)) {
      if (static_cast<std::size_t>(*declared) > t->bodyLimit.bytes()) {
        t->bodyLimitExceeded = true;
        return 0;  // ends the transfer with a write error
      }
      body.reserve(static_cast<std::size_t>(*declared));
    }
  }
  if (!t->bodyLimit.admit(bytes)) {
    t->bodyLimitExceeded = true;
    return 0;
  }
  // Otherwise it grows by doubling while small. A large body gets room for
  // the whole limit at once instead: the system hands out the pages only as
  // they are written, and the body is never copied into a bigger buffer
  // (which would hold it twice).
  if (body.size() + bytes > body.capacity()) {
    std::size_t room = std::max(body.capacity() * 2, body.size() + bytes);
    body.reserve(room > kLargeBodyBytes ? t->bodyLimit.bytes() : room);
  }
  body.append(data, bytes);
  return bytes;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  t->lastActivity = Clock::now();
  // A status line begins the first response or one after an interim reply's
  // blank line; a field whose name begins like one does not.
  const bool isStatusLine = line.starts_with("HTTP/") && (t->headerBytes == 0 || t->headerComplete);
  if (isStatusLine) {
    t->responseHeaders.clear();  // a new response (after an interim reply)
    t->interimHeaderBytes += t->headerBytes;
    t->headerBytes = 0;
    t->headerComplete = false;
  }
  t->headerBytes += line.size();
  // Interim replies are held to the limit together, so that a flood of them
  // ends as the header it is, not as a lost connection.
  if (t->headerBytes > kMaximumHeaderBytes || t->interimHeaderBytes > kMaximumHeaderBytes) {
    t->headerLimitExceeded = true;
    return 0;  // ends the transfer with a write error
  }
  if (line == "\r\n" || line == "\n") t->headerComplete = true;
  if (isStatusLine) return line.size();
  auto colon = line.find(':');
  if (colon == std::string_view::npos) return line.size();
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.remove_suffix(1);
    return std::string(s);
  };
  t->responseHeaders.emplace_back(trim(line.substr(0, colon)), trim(line.substr(colon + 1)));
  return line.size();
}

int onProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  auto* t = static_cast<Transfer*>(user);
  if (downloaded != t->lastDownloaded || uploaded != t->lastUploaded) {
    t->lastDownloaded = downloaded;
    t->lastUploaded = uploaded;
    t->lastActivity = Clock::now();
  }
  return 0;
}

ErrorPtr transportError(long code, const std::string& description, const std::string& url, const std::string& detail) {
  return makeError(kURLErrorDomain, code, description,
                   {{"NSErrorFailingURLStringKey", url}, {"NSUnderlyingError", detail}});
}

ErrorPtr headerTooLargeError(const std::string& url, const std::string& detail) {
  return transportError(URLErrorDataLengthExceedsMaximum,
                        fmt::format("The reply's header is larger than the limit of {}.",
                                    describeByteCount(kMaximumHeaderBytes)),
                        url, detail);
}

// The host an error names; the URL was parsed before it was sent.
std::string hostOf(const std::string& url) {
  auto parsed = URL::parse(url);
  return parsed ? parsed->host() : url;
}

ErrorPtr errorForCurlCode(CURLcode code, const std::string& url, const char* detail) {
  std::string why = detail && *detail ? detail : curl_easy_strerror(code);
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
      return transportError(URLErrorTimedOut, "The request timed out.", url, why);
    case CURLE_COULDNT_CONNECT:
      return transportError(URLErrorCannotConnectToHost, "Could not connect to the server.", url, why);
    case CURLE_COULDNT_RESOLVE_HOST:
      return transportError(URLErrorCannotFindHost, "A server with the specified hostname could not be found.", url,
                            why);
    case CURLE_UNSUPPORTED_PROTOCOL:
      // Every URL sent was checked to be http or https (sendableURL), so
      // libcurl gives this only for a reply that is no HTTP/1.x reply: no
      // status line (HTTP/0.9), or a server that speaks HTTP/2 alone.
      return transportError(URLErrorBadServerResponse,
                            "The server's reply is not an HTTP reply: it does not begin with a status line.", url, why);
    case CURLE_URL_MALFORMAT:
      return transportError(URLErrorBadURL, "bad URL", url, why);
    case CURLE_TOO_MANY_REDIRECTS:
      return transportError(URLErrorHTTPTooManyRedirects, "too many HTTP redirects", url, why);
    case CURLE_PEER_FAILED_VERIFICATION:
      return transportError(URLErrorServerCertificateUntrusted,
                            "The certificate of the server \"" + hostOf(url) +
                                "\" is not trusted, so a secure connection to it cannot be made.",
                            url, why);
    case CURLE_BAD_CONTENT_ENCODING:
      return transportError(URLErrorCannotDecodeContentData,
                            "The server's reply could not be decoded: its body is not in the Content-Encoding it names.",
                            url, why);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
      return transportError(URLErrorSecureConnectionFailed,
                            "An SSL error has occurred and a secure connection to the server cannot be made.", url,
                            why);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
      return transportError(URLErrorNetworkConnectionLost, "The network connection was lost.", url, why);
    case CURLE_WEIRD_SERVER_REPLY:
      return transportError(URLErrorBadServerResponse, "The server returned a bad response.", url, why);
    default:
      return transportError(URLErrorUnknown, "An unknown error occurred.", url, why);
  }
}

// The URL as it will be sent, or why it is not sent: only http and https
// URLs that name a host leave the machine.
std::expected<URL, ErrorPtr> sendableURL(const std::string& text) {
  auto url = URL::parse(text);
  if (!url) return std::unexpected(transportError(URLErrorBadURL, "bad URL", text, "not a well-formed URL"));
  const std::string scheme = text::lowercased(url->scheme());
  if (scheme != "http" && scheme != "https")
    return std::unexpected(transportError(URLErrorUnsupportedURL, "unsupported URL", text, "only http and https are sent"));
  if (url->host().empty())
    return std::unexpected(transportError(URLErrorBadURL, "bad URL", text, "the URL names no host"));
  return *url;
}

// A header line break would end the field early and let the rest of the
// value pass as fields of its own.
bool canBeSent(const HeaderFields& headers) {
  auto clean = [](const std::string& text) { return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos; };
  return std::all_of(headers.begin(), headers.end(),
                     [&](const auto& field) { return clean(field.first) && clean(field.second); });
}

bool isRedirect(long status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

// As finish() decides it.
bool Transfer::isBeingRedirected() {
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  auto location = headerValue(responseHeaders, "Location");
  return isRedirect(status) && location && !location->empty();
}

// Scheme, host and port, as two URLs are compared for sharing credentials.
std::optional<std::tuple<std::string, std::string, int>> originOf(const std::string& text) {
  auto url = URL::parse(text);
  if (!url) return std::nullopt;
  std::string scheme = text::lowercased(url->scheme());
  int port = url->port().value_or(scheme == "https" ? 443 : 80);
  return std::tuple(std::move(scheme), text::lowercased(url->host()), port);
}

// Fields that describe the content rather than the caller; only these go
// along to another origin, so no key, token or cookie leaves its host,
// whatever the field that carries it is called.
bool describesContent(const std::string& name) {
  const std::string lower = text::lowercased(name);
  return lower == "content-type" || lower == "accept" || lower == "accept-language" || lower == "user-agent";
}

// Statuses whose replies carry no message body at all.
bool statusHasNoBody(long status, const std::string& method) {
  return method == "HEAD" || (status >= 100 && status < 200) || status == 204 || status == 304;
}

}  // namespace

struct URLSession::Impl {
  CURLM* multi = nullptr;
  std::shared_ptr<Waker> waker = std::make_shared<Waker>();
  std::mutex mutex;
  std::deque<std::unique_ptr<Transfer>> incoming;
  std::list<std::unique_ptr<Transfer>> active;
  bool stopping = false;
  std::thread thread;

  Impl() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    multi = curl_multi_init();
    waker->multi = multi;
    thread = std::thread([this] { loop(); });
  }

  ~Impl() {
    {
      std::lock_guard lock(mutex);
      stopping = true;
    }
    curl_multi_wakeup(multi);
    thread.join();
    {
      std::lock_guard lock(waker->mutex);
      waker->multi = nullptr;
    }
    for (auto& t : active) curl_multi_remove_handle(multi, t->easy);
    active.clear();
    curl_multi_cleanup(multi);
  }

  void add(std::unique_ptr<Transfer> transfer) {
    {
      std::lock_guard lock(mutex);
      incoming.push_back(std::move(transfer));
    }
    curl_multi_wakeup(multi);
  }

  void start(std::unique_ptr<Transfer> t) {
    const auto& r = t->request;
    if (t->isCancelled()) return t->failCancelled();
    if (!canBeSent(r.headers)) {
      t->fail(transportError(URLErrorUnknown, "A header field holds a line break and cannot be sent.", r.url,
                             "header field with CR, LF or NUL"));
      return;
    }
    auto url = sendableURL(r.url);
    if (!url) {
      t->fail(url.error());
      return;
    }
    // curl_url_dup only reads its argument; older headers lack the const.
    t->url.reset(curl_url_dup(const_cast<CURLU*>(url->curlHandle())));
    t->easy = curl_easy_init();
    CURL* e = t->easy;
    curl_easy_setopt(e, CURLOPT_CURLU, t->url.get());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed here, one attempt each (see finish), so that
    // credentials can be kept from other hosts.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
    auto idleMs = std::chrono::duration_cast<std::chrono::milliseconds>(t->idleLimit()).count();
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max<long long>(idleMs, 1)));
    if (r.method == "POST" || r.body) {
      const std::string& body = r.body ? *r.body : std::string();
      curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
      curl_easy_setopt(e, CURLOPT_COPYPOSTFIELDS, body.c_str());
    }
    if (r.method == "HEAD") curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    if (r.method != "GET" && r.method != "POST" && r.method != "HEAD")
      curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.method.c_str());
    for (const auto& [name, value] : r.headers) {
      // "Name;" is curl's way of sending a header with an empty value.
      std::string line = value.empty() ? name + ";" : name + ": " + value;
      t->headerList = curl_slist_append(t->headerList, line.c_str());
    }
    t->headerList = curl_slist_append(t->headerList, "Expect:");
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, t->headerList);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, t.get());
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_PRIVATE, t.get());
    t->curlError[0] = '\0';
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->curlError);
    t->lastActivity = Clock::now();
    curl_multi_add_handle(multi, e);
    active.push_back(std::move(t));
  }

  std::unique_ptr<Transfer> detach(Transfer* t) {
    curl_multi_remove_handle(multi, t->easy);
    auto it = std::find_if(active.begin(), active.end(), [t](const auto& p) { return p.get() == t; });
    auto owned = std::move(*it);
    active.erase(it);
    return owned;
  }

  void finish(Transfer* raw, CURLcode code) {
    auto t = detach(raw);
    if (t->isCancelled()) return t->failCancelled();
    if (code == CURLE_OK) {
      long status = 0;
      curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
      // The field as the server wrote it: libcurl's own reading of it would
      // turn "http:///H" into a URL with host H.
      auto location = headerValue(t->responseHeaders, "Location");
      if (isRedirect(status) && location && !location->empty()) {
        follow(std::move(t), status, *location);
        return;
      }
    }
    if (code != CURLE_OK) return t->fail(failureOf(*t, code));
    if (t->bytes) {
      t->deliverResponseOnce();
      t->bytes->onComplete(nullptr);
      return;
    }
    HTTPURLResponse response = t->currentResponse();
    std::optional<std::string> body;
    if (!statusHasNoBody(response.statusCode, t->request.method)) body = std::move(t->responseBody);
    t->completion(std::move(body), std::move(response), nullptr);
  }

  // Why a transfer that libcurl ended with the code failed.
  static ErrorPtr failureOf(const Transfer& t, CURLcode code) {
    const std::string& url = t.request.url;
    if (t.bodyLimitExceeded) return t.bodyLimit.exceededError(url);
    if (t.headerLimitExceeded)
      return headerTooLargeError(url, fmt::format("header fields above {} bytes", kMaximumHeaderBytes));
    // libcurl reports a field too long for it as running out of memory.
    if (!t.headerComplete && code == CURLE_OUT_OF_MEMORY)
      return headerTooLargeError(url, t.curlError[0] ? t.curlError : curl_easy_strerror(code));
    return errorForCurlCode(code, url, t.curlError);
  }

  // Sends the request on to where a redirect points, as a new attempt.
  // The next attempt is checked as every request is (start), so a redirect
  // reaches only http and https URLs with a host.
  void follow(std::unique_ptr<Transfer> t, long status, const std::string& location) {
    if (++t->redirects > kMaxRedirects)
      return t->fail(errorForCurlCode(CURLE_TOO_MANY_REDIRECTS, t->request.url, nullptr));
    // The URL of this attempt parses: start() sent it.
    auto target = URL::parse(t->request.url)->resolve(location);
    if (!target) return t->fail(transportError(URLErrorBadURL, "bad URL", t->request.url, "redirect to a malformed URL"));
    auto& request = t->request;
    // As browsers do: 303 always, 301 and 302 after a POST, continue with GET.
    if ((status == 303 && request.method != "HEAD") || ((status == 301 || status == 302) && request.method == "POST")) {
      request.method = "GET";
      request.body.reset();
    }
    if (originOf(target->absoluteString()) != originOf(t->firstURL))
      std::erase_if(request.headers, [](const auto& field) { return !describesContent(field.first); });
    request.url = target->absoluteString();
    t->release();
    t->responseBody.clear();
    t->bodyLimit.restart();
    t->responseHeaders.clear();
    t->headerBytes = t->interimHeaderBytes = 0;
    t->headerComplete = false;
    t->lastDownloaded = t->lastUploaded = 0;
    start(std::move(t));
  }

  // Ends the transfers that were cancelled or made no progress in time.
  void endStoppedTransfers() {
    auto now = Clock::now();
    std::vector<Transfer*> cancelled, expired;
    for (auto& t : active) {
      if (t->isCancelled()) cancelled.push_back(t.get());
      else if (now - t->lastActivity >= t->idleLimit()) expired.push_back(t.get());
    }
    for (auto* raw : cancelled) detach(raw)->failCancelled();
    for (auto* raw : expired) {
      auto t = detach(raw);
      t->fail(errorForCurlCode(CURLE_OPERATION_TIMEDOUT, t->request.url, "no progress within the time-out"));
    }
  }

  int millisecondsUntilNextIdleDeadline() const {
    auto next = Clock::time_point::max();
    for (const auto& t : active) next = std::min(next, t->lastActivity + t->idleLimit());
    if (next == Clock::time_point::max()) return 1000;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count() + 1;
    return static_cast<int>(std::clamp<long long>(ms, 0, 1000));
  }

  void loop() {
    for (;;) {
      std::deque<std::unique_ptr<Transfer>> fresh;
      {
        std::lock_guard lock(mutex);
        if (stopping) return;
        fresh.swap(incoming);
      }
      for (auto& t : fresh) start(std::move(t));
      int running = 0;
      curl_multi_perform(multi, &running);
      int queued = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
        if (msg->msg != CURLMSG_DONE) continue;
        Transfer* t = nullptr;
        curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &t);
        finish(t, msg->data.result);
      }
      endStoppedTransfers();
      curl_multi_poll(multi, nullptr, 0, millisecondsUntilNextIdleDeadline(), nullptr);
    }
  }
};

URLSession::URLSession() : impl_(std::make_unique<Impl>()) {}
URLSession::~URLSession() = default;

URLSession& URLSession::shared() {
  static URLSession session;
  return session;
}

namespace {
std::unique_ptr<Transfer> newTransfer(URLRequest request, const std::shared_ptr<Waker>& waker) {
  auto transfer = std::make_unique<Transfer>();
  transfer->firstURL = request.url;
  transfer->bodyLimit = ReplyBodyLimit(request.maximumReplyBytes);
  transfer->request = std::move(request);
  transfer->state = std::make_shared<URLSessionTask::State>();
  transfer->state->waker = waker;
  return transfer;
}
}  // namespace

std::shared_ptr<URLSessionTask> URLSession::dataTask(URLRequest request, DataTaskCompletion completion) {
  auto transfer = newTransfer(std::move(request), impl_->waker);
  transfer->completion = std::move(completion);
  auto task = std::make_shared<URLSessionTask>(transfer->state);
  impl_->add(std::move(transfer));
  return task;
}

std::shared_ptr<URLSessionTask> URLSession::bytesTask(URLRequest request, BytesTaskHandlers handlers) {
  auto transfer = newTransfer(std::move(request), impl_->waker);
  transfer->bytes = std::move(handlers);
  auto task = std::make_shared<URLSessionTask>(transfer->state);
  impl_->add(std::move(transfer));
  return task;
}

}  // namespace platform
