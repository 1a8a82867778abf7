#pragma once

// Shared by the fuzz targets of the router's reply decoders: each feeds the
// bytes to one decoder as a reply body, with every diagnostic line printed
// (and discarded), and requires its completion to be called exactly once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/Console.hpp"
#include "router/ExtensionLLMAPIService.hpp"

namespace fuzzing {

using Decoder = void (quorbel::ExtensionLLMAPIService::*)(const std::string& body, const quorbel::LLMCompletion&);

inline int decodeReply(Decoder decoder, const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    ::setenv("DEBUG_LOGGING", "true", 1);
    platform::console::setSink([](std::string_view) {});
    return true;
  }();
  (void)ready;
  int calls = 0;
  (quorbel::ExtensionLLMAPIService::shared().*decoder)(std::string(reinterpret_cast<const char*>(data), size),
                                                        [&calls](quorbel::LLMResult) { ++calls; });
  if (calls != 1) std::abort();
  return 0;
}

}  // namespace fuzzing
