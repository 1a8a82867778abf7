// The settings file that the settings application imports: any text is
// applied or refused, and what was applied exports and imports as itself,
// passing nothing over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

#include "foundation/Console.hpp"
#include "settings/UserSettings.hpp"

namespace {

// The settings are saved on every import: into a folder of this process's
// own, in memory where the system has one, so the fuzzer is not slowed by
// the disk.
mervo::UserSettings& settings() {
  static mervo::UserSettings* instance = [] {
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const auto folder = base / ("quorbel-fuzz-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(std::getenv("XDG_CONFIG_HOME"), ignored);
    });
    platform::console::setSink([](std::string_view) {});
    return new mervo::UserSettings();
  }();
  return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& userSettings = settings();
  if (!userSettings.importSettings(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  auto exported = userSettings.exportSettings();
  if (!exported) std::abort();
  const std::string prompt = *userSettings.customSystemPrompt;
  auto again = userSettings.importSettings(*exported);
  if (!again || !again->skipped.empty() || *userSettings.customSystemPrompt != prompt ||
      userSettings.exportSettings() != exported)
    std::abort();
  return 0;
}
