#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace test_doubles {

// Each way the built-in service's direct road fails, as the compose session
// and the connection test meet it, and the text the user then reads: the
// client's own description, which the router and the connection test pass
// on unchanged.

// A reply of the backend (VertexAIBackend) that fails the generate call.
struct FailingReply {
  const char* name;
  int status;
  std::string body;
  std::string contentType;
  std::string shown;
};
std::vector<FailingReply> failingReplies();
inline void PrintTo(const FailingReply& reply, std::ostream* os) { *os << reply.name; }

// A VERTEXAI_BASE_URL under which no reply comes: a closed port, a host no
// one knows, an address the client refuses.
struct FailingBaseAddress {
  const char* name;
  std::string value;
  std::string shown;
};
std::vector<FailingBaseAddress> failingBaseAddresses();
inline void PrintTo(const FailingBaseAddress& address, std::ostream* os) { *os << address.name; }

}  // namespace test_doubles
