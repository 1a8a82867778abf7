#pragma once

#include <map>
#include <string>

#include "foundation/Error.hpp"

namespace sparkle {

inline constexpr const char* kErrorDomain = "SUSparkleErrorDomain";
enum SparkleErrorCode : long {
  InvalidFeedURLError = 4,
  AppcastParseError = 1000,
  AppcastError = 1002,
};

platform::ErrorPtr makeSparkleError(long code, std::string description, std::map<std::string, std::string> userInfo = {});

}  // namespace sparkle
