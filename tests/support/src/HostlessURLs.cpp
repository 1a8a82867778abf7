#include "test_support/HostlessURLs.hpp"

namespace test_support {

namespace {
std::string hostAndPort(int port) { return "127.0.0.1:" + std::to_string(port); }
}  // namespace

const std::vector<HostlessURLForm>& hostlessURLForms() {
  static const std::vector<HostlessURLForm> forms{
      {"EmptyAuthority", [](int port) { return "http:///" + hostAndPort(port) + "/v1"; }, true},
      {"OneSlash", [](int port) { return "http:/" + hostAndPort(port) + "/v1"; }, true},
      {"EmptyAuthorityHttps", [](int port) { return "https:///" + hostAndPort(port) + "/chat/completions"; }, true},
      {"BlankHost", [](int port) { return "http://:" + std::to_string(port); }, false},
  };
  return forms;
}

}  // namespace test_support
