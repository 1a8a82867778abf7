#include "app/FatalError.hpp"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace mervo {
namespace {

[[noreturn]] void stop(std::string_view line) {
  std::cout.flush();
  std::cerr << line << std::endl;
  std::fflush(nullptr);
  // No static destructors: other threads may still be working.
  std::_Exit(EXIT_FAILURE);
}

}  // namespace

void fatalError(std::string_view message) { stop("Fatal error: " + std::string(message)); }

void terminateWithUncaughtException(std::string_view name, std::string_view reason) {
  stop("*** Terminating app due to uncaught exception '" + std::string(name) + "', reason: '" + std::string(reason) + "'");
}

}  // namespace mervo
