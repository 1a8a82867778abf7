#include "test_support/ScriptedHTTPServer.hpp"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace test_support {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool sendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

std::string trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

// Reads one request: the head up to the blank line, then a body of the
// announced length. False when the client closed first.
bool readRequest(int socket, ScriptedHTTPServer::Request& request) {
  std::string data;
  char buffer[16384];
  std::size_t headEnd;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  std::string_view head(data.data(), headEnd);
  auto lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  auto firstSpace = requestLine.find(' ');
  auto secondSpace = requestLine.find(' ', firstSpace + 1);
  request.method = std::string(requestLine.substr(0, firstSpace));
  request.target = std::string(requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1));
  std::size_t contentLength = 0;
  for (std::size_t start = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2; start < head.size();) {
    auto end = std::min(head.find("\r\n", start), head.size());
    std::string_view line = head.substr(start, end - start);
    auto colon = line.find(':');
    if (colon != std::string_view::npos) {
      request.headers.emplace_back(std::string(line.substr(0, colon)), trim(line.substr(colon + 1)));
      if (equalsIgnoringCase(request.headers.back().first, "Content-Length"))
        contentLength = std::stoul(request.headers.back().second);
    }
    start = end + 2;
  }
  request.body = data.substr(headEnd + 4);
  while (request.body.size() < contentLength) {
    ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    request.body.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

std::string statusLine(int status) {
  return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Status") + "\r\n";
}

}  // namespace

std::string ScriptedHTTPServer::Request::header(std::string_view name) const {
  for (const auto& [field, value] : headers)
    if (equalsIgnoringCase(field, name)) return value;
  return {};
}

std::vector<std::string> ScriptedHTTPServer::Request::headerNames() const {
  std::vector<std::string> names;
  for (const auto& field : headers) names.push_back(field.first);
  return names;
}

bool ScriptedHTTPServer::Exchange::respond(int status, std::string_view body, std::string_view contentType) {
  return sendRaw(statusLine(status) + "Content-Type: " + std::string(contentType) +
                 "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                 std::string(body));
}

bool ScriptedHTTPServer::Exchange::beginChunked(int status, std::string_view contentType) {
  return sendRaw(statusLine(status) + "Content-Type: " + std::string(contentType) +
                 "\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n");
}

bool ScriptedHTTPServer::Exchange::sendChunk(std::string_view data) {
  if (data.empty()) return true;  // an empty chunk would end the body
  char size[32];
  std::snprintf(size, sizeof size, "%zx\r\n", data.size());
  return sendRaw(std::string(size) + std::string(data) + "\r\n");
}

bool ScriptedHTTPServer::Exchange::endChunked() { return sendRaw("0\r\n\r\n"); }

bool ScriptedHTTPServer::Exchange::sendRaw(std::string_view bytes) { return sendAll(socket_, bytes); }

struct ScriptedHTTPServer::Impl {
  int listener = -1;
  int port = 0;
  std::atomic<bool> stopping{false};
  std::thread acceptor;
  mutable std::mutex mutex;
  std::vector<std::thread> connections;
  std::vector<Request> requests;
  Handler handler = [](Exchange& exchange) { exchange.respond(200, "{}"); };

  void serve(int socket) {
    Request request;
    if (readRequest(socket, request)) {
      Handler current;
      {
        std::lock_guard lock(mutex);
        requests.push_back(request);
        current = handler;
      }
      Exchange exchange(socket, std::move(request));
      current(exchange);
    }
    ::shutdown(socket, SHUT_WR);
    ::close(socket);
  }

  void acceptLoop() {
    while (!stopping) {
      pollfd waiting{listener, POLLIN, 0};
      if (::poll(&waiting, 1, 20) <= 0) continue;
      int socket = ::accept(listener, nullptr, nullptr);
      if (socket < 0) continue;
      int one = 1;
      ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::lock_guard lock(mutex);
      connections.emplace_back([this, socket] { serve(socket); });
    }
  }
};

ScriptedHTTPServer::ScriptedHTTPServer() : impl_(std::make_unique<Impl>()) {
  impl_->listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(impl_->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(impl_->listener, 64) != 0)
    throw std::runtime_error("cannot listen on a loopback port");
  socklen_t length = sizeof address;
  ::getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&address), &length);
  impl_->port = ntohs(address.sin_port);
  impl_->acceptor = std::thread([this] { impl_->acceptLoop(); });
}

ScriptedHTTPServer::~ScriptedHTTPServer() {
  impl_->stopping = true;
  impl_->acceptor.join();
  ::close(impl_->listener);
  std::vector<std::thread> connections;
  {
    std::lock_guard lock(impl_->mutex);
    connections.swap(impl_->connections);
  }
  for (auto& connection : connections) connection.join();
}

std::string ScriptedHTTPServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }

void ScriptedHTTPServer::handle(Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->handler = std::move(handler);
}

void ScriptedHTTPServer::reply(int status, std::string body, std::string contentType) {
  handle([status, body = std::move(body), contentType = std::move(contentType)](Exchange& exchange) {
    exchange.respond(status, body, contentType);
  });
}

std::vector<ScriptedHTTPServer::Request> ScriptedHTTPServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

std::size_t ScriptedHTTPServer::requestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.size();
}

}  // namespace test_support
