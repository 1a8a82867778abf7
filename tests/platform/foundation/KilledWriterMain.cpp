// Sets one key of a suite and writes it, but dies by SIGKILL the moment the
// write renames its temporary file into place: what a writer killed at the
// worst time leaves behind.
#include <csignal>
#include <cstdio>
#include <string>

#include "foundation/UserDefaults.hpp"

// Takes the place of the C library's rename for everything in this program.
extern "C" int rename(const char*, const char*) {
  std::raise(SIGKILL);
  return -1;
}

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  auto suite = platform::UserDefaults::suite(argv[1]);
  if (!suite) return 3;
  suite->set(argv[2], std::string(argv[3]));
  suite->synchronize();
  return 4;  // not reached
}
