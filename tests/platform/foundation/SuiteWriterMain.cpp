// Writes COUNT keys "<PREFIX><i>" to a suite, one write at a time: used by the
// tests to have two processes write one suite at the same time.
#include <cstdlib>
#include <string>

#include "foundation/UserDefaults.hpp"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  auto suite = platform::UserDefaults::suite(argv[1]);
  if (!suite) return 3;
  int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i) {
    suite->set(std::string(argv[2]) + std::to_string(i), std::int64_t{i});
    if (!suite->synchronize()) return 4;
  }
  return 0;
}
