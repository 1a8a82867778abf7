#pragma once

// Starts a real program, times it until a line appears on its standard
// output, and reads its resident memory at that moment; a benchmark of the
// programs' start-up runs one of these per iteration.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench_support {

struct Launch {
  double seconds;
  long residentKilobytes;
};

// Resident set size of a process in kB.
inline long residentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// Runs `arguments` (the program first) until its output holds `line`, then
// ends it.
inline Launch launchUntilLine(const std::vector<std::string>& arguments, const std::string& line) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDERR_FILENO);
    close(pipeFds[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  std::string seen;
  char buffer[4096];
  Launch launch{0, 0};
  while (true) {
    ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    seen.append(buffer, static_cast<std::size_t>(n));
    if (seen.find(line) != std::string::npos) {
      launch.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      launch.residentKilobytes = residentKilobytes(child);
      break;
    }
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(pipeFds[0]);
  if (launch.seconds == 0) throw std::runtime_error("\"" + line + "\" was never printed");
  return launch;
}

// One launch per iteration, timed by hand, with the resident memory's mean
// and maximum as counters.
inline void measureLaunches(benchmark::State& state, const std::vector<std::string>& arguments,
                            const std::string& line) {
  long peakKilobytes = 0;
  double totalKilobytes = 0;
  for (auto _ : state) {
    auto launch = launchUntilLine(arguments, line);
    state.SetIterationTime(launch.seconds);
    peakKilobytes = std::max(peakKilobytes, launch.residentKilobytes);
    totalKilobytes += static_cast<double>(launch.residentKilobytes);
  }
  state.counters["rss_MB_mean"] = totalKilobytes / static_cast<double>(state.iterations()) / 1024.0;
  state.counters["rss_MB_max"] = static_cast<double>(peakKilobytes) / 1024.0;
}

}  // namespace bench_support
