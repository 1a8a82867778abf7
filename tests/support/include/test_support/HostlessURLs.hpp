#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace test_support {

// A URL that names no host, in a form that libcurl, reading the text itself,
// sends to the host written after the slashes (here 127.0.0.1 and a port).
struct HostlessURLForm {
  const char* name;
  std::string (*url)(int port);
  bool parses;  // whether it is a well-formed URL at all
};
inline void PrintTo(const HostlessURLForm& form, std::ostream* os) { *os << form.name; }

// "http:///H/v1", "http:/H/v1", "https:///H/chat/completions" and a blank host.
const std::vector<HostlessURLForm>& hostlessURLForms();

}  // namespace test_support
