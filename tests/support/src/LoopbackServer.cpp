#include "test_support/LoopbackServer.hpp"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include <httplib.h>

namespace test_support {

namespace {
std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}
}  // namespace

bool LoopbackServer::Request::hasHeader(const std::string& name) const { return headers.count(lower(name)) > 0; }

std::string LoopbackServer::Request::header(const std::string& name) const {
  auto it = headers.find(lower(name));
  return it == headers.end() ? std::string() : it->second;
}

struct LoopbackServer::Impl {
  httplib::Server server;
  std::thread thread;
  mutable std::mutex mutex;
  std::vector<Request> requests;
  Handler handler = [](const Request&) { return Reply{200, "{}", "application/json", {}, {}}; };

  void serve(const httplib::Request& in, httplib::Response& out) {
    Request request{in.method, in.path, in.body, {}};
    for (const auto& [name, value] : in.headers) request.headers.emplace(lower(name), value);
    Handler current;
    {
      std::lock_guard lock(mutex);
      requests.push_back(request);
      current = handler;
    }
    Reply reply = current(request);
    if (reply.delay.count() > 0) std::this_thread::sleep_for(reply.delay);
    out.status = reply.status;
    for (const auto& [name, value] : reply.headers) out.set_header(name, value);
    out.set_content(reply.body, reply.contentType.c_str());
  }
};

LoopbackServer::LoopbackServer() : impl_(std::make_unique<Impl>()) {
  auto serve = [this](const httplib::Request& in, httplib::Response& out) { impl_->serve(in, out); };
  for (auto method : {&httplib::Server::Get, &httplib::Server::Post, &httplib::Server::Put, &httplib::Server::Delete})
    (impl_->server.*method)(".*", serve);
  // One request per connection, so that stopping never waits for an idle
  // keep-alive connection.
  impl_->server.set_keep_alive_max_count(1);
  port_ = impl_->server.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
  impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
  while (!impl_->server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer() {
  impl_->server.stop();
  impl_->thread.join();
}

std::string LoopbackServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }

void LoopbackServer::reply(Reply reply) {
  handle([reply](const Request&) { return reply; });
}

void LoopbackServer::reply(int status, std::string body) { reply(Reply{status, std::move(body), "application/json", {}, {}}); }

void LoopbackServer::handle(Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->handler = std::move(handler);
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

LoopbackServer::Request LoopbackServer::lastRequest() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.empty() ? Request{} : impl_->requests.back();
}

std::size_t LoopbackServer::requestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.size();
}

int closedLoopbackPort() {
  // Bind a port and close it again: nothing listens there afterwards.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t length = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  ::close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace test_support
