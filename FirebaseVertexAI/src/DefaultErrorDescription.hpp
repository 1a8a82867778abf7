#pragma once

#include <string>
#include <string_view>

#include <fmt/format.h>

namespace firebase::vertexai {

// What the platform says of an error enumeration without descriptions of its
// own: its type as the domain, the case's position as the code.
inline std::string defaultErrorDescription(std::string_view domain, long code) {
  return fmt::format("The operation couldn\u2019t be completed. ({} error {}.)", domain, code);
}

}  // namespace firebase::vertexai
