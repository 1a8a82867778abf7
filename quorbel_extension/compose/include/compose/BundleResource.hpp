#pragma once

#include <optional>
#include <string>

namespace quorbel {

// The bytes of the main bundle's resource "<name>.<type>"; nothing when it is
// missing or unreadable.
std::optional<std::string> readBundleResource(const std::string& name, const std::string& type);

}  // namespace quorbel
