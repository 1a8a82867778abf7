#pragma once

#include <cstddef>
#include <string>

namespace test_support {

// A gzip stream of `count` zero bytes, made without holding them: a reply that
// inflates far beyond its own size.
std::string gzippedZeros(std::size_t count);

}  // namespace test_support
