#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "test_support/TempDir.hpp"

namespace packaging_test {

struct Run {
  int status = -1;  // -1 for a signal, or a run past two minutes
  std::string out, err;
};

// Runs a command line through the shell and collects what it prints.
inline Run run(const std::string& command) {
  test_support::TempDir folder;
  const auto errFile = folder.path() / "stderr.txt";
  Run run;
  FILE* pipe = popen(("timeout 120 " + command + " 2>" + errFile.string()).c_str(), "r");
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) && WEXITSTATUS(status) != 124 ? WEXITSTATUS(status) : -1;
  run.err = test_support::readFile(errFile);
  return run;
}

}  // namespace packaging_test
