// Time from starting Mervo to its window being shown (offscreen), and the
// program's resident memory at that moment.
//
// Each iteration spawns the real program without arguments, as a desktop
// launcher starts it, watches its standard output for the line that the
// window is shown, reads VmRSS from /proc, and ends the child.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "foundation/PropertyValue.hpp"
#include "foundation/UserDefaults.hpp"
#include "support/ProgramLaunch.hpp"

namespace {

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
  bench_support::measureLaunches(state, {MERVO}, "Mervo: Window shown");
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StartToWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
