#pragma once

#include <string_view>

#include "foundation/OSLog.hpp"

// Decoders log what they skip or do not know; in a fuzz target the log is not
// what is tested, so it goes nowhere. Include once, in the target's file.
namespace {
const bool silentLog = [] {
  platform::oslog::setSink([](const platform::OSLog&, platform::LogType, std::string_view) {});
  return true;
}();
}  // namespace
