// Opens a suite, optionally as another user, and prints why it cannot be
// opened: used by the tests to read a file the way a user without the right
// to read it would, also when the tests run as root.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/UserDefaults.hpp"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) return 2;
  if (argc == 3) {
    const auto user = static_cast<uid_t>(std::atoi(argv[2]));
    if (::setgid(user) != 0 || ::setuid(user) != 0) return 3;
  }
  auto opened = platform::UserDefaults::openSuite(argv[1]);
  if (opened) return 0;
  std::puts(opened.error()->localizedDescription().c_str());
  return 1;
}
