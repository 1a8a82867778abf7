#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

// An HTTP server on 127.0.0.1 with a port of its own, recording every request
// and answering with what the test sets.
class LoopbackServer {
 public:
  struct Request {
    std::string method;
    std::string path;
    std::string body;
    std::multimap<std::string, std::string> headers;  // names lowercased
    bool hasHeader(const std::string& name) const;
    std::string header(const std::string& name) const;
  };
  struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
    std::vector<std::pair<std::string, std::string>> headers;
    std::chrono::milliseconds delay{0};  // waits this long before answering
  };
  using Handler = std::function<Reply(const Request&)>;

  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>"
  std::string baseURL() const;

  // Every request gets this reply (default: 200 with an empty JSON object).
  void reply(Reply reply);
  void reply(int status, std::string body);
  // Or a reply computed per request.
  void handle(Handler handler);

  std::vector<Request> requests() const;
  Request lastRequest() const;
  std::size_t requestCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens.
int closedLoopbackPort();

}  // namespace test_support
