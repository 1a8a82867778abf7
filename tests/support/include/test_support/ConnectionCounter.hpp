#pragma once

namespace test_support {

// A socket listening on 127.0.0.1 that only counts the connections made to
// it: whatever a client sends (any scheme, TLS included) would show.
class ConnectionCounter {
 public:
  ConnectionCounter();
  ~ConnectionCounter();
  ConnectionCounter(const ConnectionCounter&) = delete;
  ConnectionCounter& operator=(const ConnectionCounter&) = delete;

  int port() const { return port_; }
  // Connections made since the last call.
  int acceptedConnections();

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace test_support
