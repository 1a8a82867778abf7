#include "compose/ModelConfiguration.hpp"

#include <fmt/format.h>

#include <random>

#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

// A random (version 4) UUID in its upper-case printed form.
std::string newUUID() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  std::uint64_t high = generator(), low = generator();
  high = (high & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
  low = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
  return fmt::format("{:08X}-{:04X}-{:04X}-{:04X}-{:012X}", high >> 32, (high >> 16) & 0xFFFF, high & 0xFFFF,
                     low >> 48, low & 0xFFFFFFFFFFFFull);
}

}  // namespace

ModelConfiguration ModelConfiguration::defaultConfiguration() {
  return {newUUID(), "Gemini Flash Lite (Default)", ExtensionConfig::geminiModel()};
}

}  // namespace quorbel
