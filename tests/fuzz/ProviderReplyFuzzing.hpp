#pragma once

// Shared by the fuzz targets of the router's reply decoders: each feeds the
// bytes to one decoder as a reply body, with every diagnostic line printed,
// and requires its completion to be called exactly once and every printed
// line to hold nothing that a terminal would act on, whatever the reply
// quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/Console.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIService.hpp"

namespace fuzzing {

using Decoder = void (quorbel::ExtensionLLMAPIService::*)(const std::string& body, const quorbel::LLMCompletion&);

// Controls (a tab aside), C1 controls, line and paragraph separators and
// bidirectional formatting characters, read from valid UTF-8.
inline bool actsOnTerminal(std::string_view line) {
  if (!platform::text::isValidUTF8(line)) return true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(line[k]); };
    if ((byte(i) < 0x20 && byte(i) != '\t') || byte(i) == 0x7F) return true;
    if (i + 1 >= line.size()) continue;
    if (byte(i) == 0xC2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F) return true;  // U+0080..U+009F
    if (byte(i) == 0xD8 && byte(i + 1) == 0x9C) return true;                          // U+061C
    if (i + 2 >= line.size() || byte(i) != 0xE2) continue;
    const unsigned char second = byte(i + 1), third = byte(i + 2);
    if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE))) return true;
    if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return true;  // U+2066..U+2069
  }
  return false;
}

inline int decodeReply(Decoder decoder, const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    ::setenv("DEBUG_LOGGING", "true", 1);
    platform::console::setSink([](std::string_view line) {
      if (actsOnTerminal(line)) std::abort();
    });
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
