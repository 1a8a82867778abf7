#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/Bundle.hpp"
#include "foundation/UserDefaults.hpp"

// A fresh folder for a benchmark's settings, data and bundle, so that it never
// reads or writes the user's own: $XDG_CONFIG_HOME, $XDG_DATA_HOME and the
// main bundle point into it while the object lives; then the defaults are
// forgotten and the folder removed.
class TemporaryHome {
 public:
  explicit TemporaryHome(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
    root_ = mkdtemp(pattern.data());
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    std::filesystem::create_directories(root_ / "bench.bundle" / "Resources");
    platform::Bundle::setMainBundlePath(root_ / "bench.bundle");
  }
  ~TemporaryHome() {
    platform::UserDefaults::resetForTesting();
    std::filesystem::remove_all(root_);
  }
  TemporaryHome(const TemporaryHome&) = delete;
  TemporaryHome& operator=(const TemporaryHome&) = delete;

 private:
  std::filesystem::path root_;
};
