// The strict JSON reader that every reply and settings import goes through:
// whatever the bytes, it answers a value or an error, and what it accepts
// encodes again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/Json.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (auto value = platform::json::parse(bytes)) (void)platform::json::serialize(*value);
  (void)platform::json::parseAllowingFragments(bytes);
  return 0;
}
