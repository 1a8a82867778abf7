#include "sparkle/SparkleError.hpp"

namespace sparkle {

platform::ErrorPtr makeSparkleError(long code, std::string description, std::map<std::string, std::string> userInfo) {
  return platform::makeError(kErrorDomain, code, std::move(description), std::move(userInfo));
}

}  // namespace sparkle
