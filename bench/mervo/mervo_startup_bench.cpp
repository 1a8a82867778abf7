// Time from starting Mervo to its window being shown (offscreen), and the
// program's resident memory at that moment.
//
// Each iteration spawns the real program without arguments, as a desktop
// launcher starts it, watches its standard output for the line that the
// window is shown, reads VmRSS from /proc, and ends the child.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "foundation/PropertyValue.hpp"
#include "foundation/UserDefaults.hpp"

namespace {

const char* const kShownLine = "Mervo: Window shown";

long residentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

struct Launch {
  double secondsToWindow;
  long residentKilobytes;
};

Launch launchUntilWindowShown() {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDERR_FILENO);
    close(pipeFds[0]);
    execl(MERVO, MERVO, static_cast<char*>(nullptr));
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
    if (seen.find(kShownLine) != std::string::npos) {
      launch.secondsToWindow = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      launch.residentKilobytes = residentKilobytes(child);
      break;
    }
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(pipeFds[0]);
  if (launch.secondsToWindow == 0) throw std::runtime_error("the window was never shown");
  return launch;
}

void BM_StartToWindowShown(benchmark::State& state) {
  // The program's settings and store go to a folder of the benchmark's own;
  // a recent update check keeps it from reaching for the feed.
  auto folder = std::filesystem::temp_directory_path() / "mervo-startup-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  setenv("XDG_DATA_HOME", folder.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  auto defaults = platform::UserDefaults::suite("tesvarin.quorbel");
  defaults->set("SULastCheckTime", platform::PropertyValue::Date::fromTimePoint(std::chrono::system_clock::now()));
  defaults->synchronize();
  long peakKilobytes = 0;
  double totalKilobytes = 0;
  for (auto _ : state) {
    auto launch = launchUntilWindowShown();
    state.SetIterationTime(launch.secondsToWindow);
    peakKilobytes = std::max(peakKilobytes, launch.residentKilobytes);
    totalKilobytes += static_cast<double>(launch.residentKilobytes);
  }
  state.counters["rss_MB_mean"] = totalKilobytes / static_cast<double>(state.iterations()) / 1024.0;
  state.counters["rss_MB_max"] = static_cast<double>(peakKilobytes) / 1024.0;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StartToWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
