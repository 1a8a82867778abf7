#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_support {

// An HTTP/1.1 server on 127.0.0.1 whose handler writes each reply itself:
// whole, or as a chunked body piece by piece (server-sent events), waiting
// for whatever the test likes between pieces. It records each request with
// its header fields in the order they were sent. One request per connection.
class ScriptedHTTPServer {
 public:
  struct Request {
    std::string method;
    std::string target;  // path and query, as sent
    std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent
    std::string body;
    // The first field of that name (any case), empty when there is none.
    std::string header(std::string_view name) const;
    std::vector<std::string> headerNames() const;
  };

  // One exchange: the request, and the writing of its reply. Each write
  // answers false once the client has gone.
  class Exchange {
   public:
    const Request& request() const { return request_; }
    bool respond(int status, std::string_view body, std::string_view contentType = "application/json");
    bool beginChunked(int status, std::string_view contentType = "text/event-stream");
    bool sendChunk(std::string_view data);
    bool endChunked();
    // Bytes as they are, for replies the helpers cannot write.
    bool sendRaw(std::string_view bytes);

   private:
    friend class ScriptedHTTPServer;
    Exchange(int socket, Request request) : socket_(socket), request_(std::move(request)) {}
    int socket_;
    Request request_;
  };
  using Handler = std::function<void(Exchange& exchange)>;

  ScriptedHTTPServer();
  ~ScriptedHTTPServer();
  ScriptedHTTPServer(const ScriptedHTTPServer&) = delete;
  ScriptedHTTPServer& operator=(const ScriptedHTTPServer&) = delete;

  // "http://127.0.0.1:<port>"
  std::string baseURL() const;
  // Every request gets this handler (default: 200 with an empty JSON object).
  void handle(Handler handler);
  void reply(int status, std::string body, std::string contentType = "application/json");

  std::vector<Request> requests() const;
  std::size_t requestCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace test_support
