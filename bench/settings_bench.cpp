// One save of the user settings (six keys, then synchronize), as the AI
// Prompt tab does on every keystroke in the prompt editor. Runs against
// defaults in a temporary folder, never the user's own.

#include <string>

#include <benchmark/benchmark.h>

#include "support/TemporaryHome.hpp"
#include "settings/UserSettings.hpp"

namespace {

void saveUserSettings(benchmark::State& state) {
  mervo::UserSettings settings;
  std::string prompt(static_cast<std::size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    prompt.back() = prompt.back() == 'x' ? 'y' : 'x';  // a keystroke: the prompt differs each time
    settings.customSystemPrompt = prompt;
    settings.saveSettings();
  }
}
// 400 characters is the default prompt's size; 20000 a long custom prompt.
BENCHMARK(saveUserSettings)->Arg(400)->Arg(20000)->Repetitions(10)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const TemporaryHome home("settings-bench");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
