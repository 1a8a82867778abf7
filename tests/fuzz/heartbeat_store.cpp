// The heartbeat store's file: any content gives a bundle or none, and a
// bundle can be written again and reads back as the same file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "firebase_core/HeartbeatsBundle.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bundle = firebase::HeartbeatsBundle::decode(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!bundle) return 0;
  auto encoded = bundle->encode();
  if (!encoded) std::abort();  // the next save would fail
  auto reread = firebase::HeartbeatsBundle::decode(*encoded);
  if (!reread || reread->encode() != encoded) std::abort();
  (void)bundle->makePayload();
  return 0;
}
