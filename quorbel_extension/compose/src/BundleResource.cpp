#include "compose/BundleResource.hpp"

#include <fstream>
#include <sstream>

#include "foundation/Bundle.hpp"

namespace quorbel {

std::optional<std::string> readBundleResource(const std::string& name, const std::string& type) {
  auto path = platform::Bundle::main().pathForResource(name, type);
  if (!path) return std::nullopt;
  std::ifstream in(*path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

}  // namespace quorbel
