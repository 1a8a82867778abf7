#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/PropertyValue.hpp"

namespace platform {

// A program's bundle: a folder "<program>.bundle" beside the executable (in the
// build tree) or under ../share/quorbel (installed), holding Info.plist and a
// Resources folder.
class Bundle {
 public:
  explicit Bundle(std::filesystem::path path);

  // The running program's bundle. Tests point it at a folder of their own
  // before anything reads it (references to the old bundle become invalid).
  static Bundle& main();
  static void setMainBundlePath(const std::filesystem::path& path);

  // The bundle folder that belongs to an executable, when one exists.
  static std::optional<std::filesystem::path> bundlePathForExecutable(const std::filesystem::path& executable);

  const std::filesystem::path& bundlePath() const { return path_; }
  std::filesystem::path resourcePath() const { return path_ / "Resources"; }

  // The Info list (empty when missing or unreadable).
  const PropertyValue::Dictionary& infoDictionary() const;
  const PropertyValue* objectForInfoDictionaryKey(const std::string& key) const;
  // CFBundleIdentifier; the executable's name when the Info list has none.
  std::string bundleIdentifier() const;

  // A resource named "<name>.<type>" ("<name>" alone when type is empty).
  std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type = {}) const;

 private:
  std::filesystem::path path_;
  PropertyValue::Dictionary info_;
};

// Facts about the running process.
namespace process_info {
std::filesystem::path executablePath();
std::string processName();
// A variable of the process environment, when it is set (even empty).
std::optional<std::string> environmentValue(const std::string& name);
// The command-line arguments (set by the program's main).
const std::vector<std::string>& arguments();
void setArguments(int argc, char** argv);
}  // namespace process_info

// Folders of the user's data. Nothing here makes them: what keeps a file
// there makes what is missing once the folders have been checked
// (PrivateFiles.hpp).
namespace paths {
// $XDG_CONFIG_HOME, or ~/.config.
std::filesystem::path configHome();
// $XDG_DATA_HOME, or ~/.local/share: what the platform calls Application Support.
std::filesystem::path applicationSupport();
}  // namespace paths

}  // namespace platform
