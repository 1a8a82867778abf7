// The strict JSON reader that every reply and settings import goes through:
// whatever the bytes, it answers a value or an error, what it accepts encodes
// again, and nothing it accepts holds a NUL (after which the parser would
// stop reading).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/Json.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool hasNUL = bytes.find('\0') != std::string_view::npos;
  if (auto value = platform::json::parse(bytes)) {
    if (hasNUL) std::abort();
    (void)platform::json::serialize(*value);
  }
  if (platform::json::parseAllowingFragments(bytes) && hasNUL) std::abort();
  return 0;
}
