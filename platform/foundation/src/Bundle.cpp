#include "foundation/Bundle.hpp"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "foundation/PropertyList.hpp"

namespace platform {
namespace {

std::mutex& mainBundleMutex() {
  static std::mutex m;
  return m;
}
std::unique_ptr<Bundle>& mainBundleSlot() {
  static std::unique_ptr<Bundle> bundle;
  return bundle;
}

std::filesystem::path homeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::filesystem::path(home) : std::filesystem::temp_directory_path();
}

std::filesystem::path xdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  // Only absolute paths count, as the XDG rules say.
  if (value && *value == '/') return value;
  return homeFolder() / fallback;
}

std::vector<std::string>& argumentStore() {
  static std::vector<std::string> arguments;
  return arguments;
}

}  // namespace

Bundle::Bundle(std::filesystem::path path) : path_(std::move(path)) {
  // Read once, up front, so that any thread may read the Info list.
  auto value = plist::readFile(path_ / "Info.plist");
  const auto* dict = value ? value->asDictionary() : nullptr;
  if (dict) info_ = *dict;
}

Bundle& Bundle::main() {
  std::lock_guard lock(mainBundleMutex());
  auto& slot = mainBundleSlot();
  if (!slot) {
    auto found = bundlePathForExecutable(process_info::executablePath());
    // A program without a bundle still answers: it simply has no resources.
    slot = std::make_unique<Bundle>(found.value_or(process_info::executablePath().parent_path() /
                                                   (process_info::processName() + ".bundle")));
  }
  return *slot;
}

void Bundle::setMainBundlePath(const std::filesystem::path& path) {
  std::lock_guard lock(mainBundleMutex());
  mainBundleSlot() = std::make_unique<Bundle>(path);
}

std::optional<std::filesystem::path> Bundle::bundlePathForExecutable(const std::filesystem::path& executable) {
  std::string name = executable.filename().string() + ".bundle";
  std::error_code ec;
  for (const auto& candidate : {executable.parent_path() / name,
                                executable.parent_path().parent_path() / "share" / "quorbel" / name}) {
    if (std::filesystem::is_directory(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

const PropertyValue::Dictionary& Bundle::infoDictionary() const { return info_; }

const PropertyValue* Bundle::objectForInfoDictionaryKey(const std::string& key) const {
  const auto& info = infoDictionary();
  auto it = info.find(key);
  return it == info.end() ? nullptr : &it->second;
}

std::string Bundle::bundleIdentifier() const {
  if (const auto* id = objectForInfoDictionaryKey("CFBundleIdentifier"); id && id->asString())
    return *id->asString();
  std::string name = path_.filename().string();
  if (name.ends_with(".bundle")) name.resize(name.size() - 7);
  return name;
}

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name, const std::string& type) const {
  if (name.empty() || name.find('/') != std::string::npos || type.find('/') != std::string::npos) return std::nullopt;
  auto path = resourcePath() / (type.empty() ? name : name + "." + type);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return path;
}

namespace process_info {

std::filesystem::path executablePath() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path("/proc/self/exe") : path;
}

std::string processName() { return executablePath().filename().string(); }

std::optional<std::string> environmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

const std::vector<std::string>& arguments() { return argumentStore(); }

void setArguments(int argc, char** argv) { argumentStore().assign(argv, argv + argc); }

}  // namespace process_info

namespace paths {
std::filesystem::path configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }
std::filesystem::path applicationSupport() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }
}  // namespace paths

}  // namespace platform
