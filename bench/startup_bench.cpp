// Time from starting quorbel_extension to its popover being shown (offscreen),
// and the program's resident memory at that moment.
//
// Each iteration spawns the real program on the sample message with the
// popover opened at start, watches its standard output for the host's line
// that the popover is shown, reads VmRSS from /proc, and ends the child.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "support/ProgramLaunch.hpp"

namespace {

void BM_StartupToPopover(benchmark::State& state) {
  // The program's settings go to a folder of the benchmark's own.
  auto settings = std::filesystem::temp_directory_path() / "quorbel-startup-bench";
  std::filesystem::create_directories(settings);
  setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
  setenv("XDG_DATA_HOME", settings.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  bench_support::measureLaunches(state, {QUORBEL_EXTENSION, "reply", QUORBEL_SAMPLE_MESSAGE, "--show-assistant"},
                                 "MailHost: Showing the extension's view");
  std::filesystem::remove_all(settings);
}
BENCHMARK(BM_StartupToPopover)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
