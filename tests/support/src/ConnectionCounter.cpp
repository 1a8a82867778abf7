#include "test_support/ConnectionCounter.hpp"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace test_support {

ConnectionCounter::ConnectionCounter() {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd_, 16) != 0)
    throw std::runtime_error("cannot listen on a loopback port");
  socklen_t length = sizeof addr;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length);
  port_ = ntohs(addr.sin_port);
  ::fcntl(fd_, F_SETFL, O_NONBLOCK);
}

ConnectionCounter::~ConnectionCounter() { ::close(fd_); }

int ConnectionCounter::acceptedConnections() {
  int count = 0;
  for (int client; (client = ::accept(fd_, nullptr, nullptr)) >= 0; ++count) ::close(client);
  return count;
}

}  // namespace test_support
