#include "firebase_core/GULAppEnvironmentUtil.hpp"

#include <fmt/format.h>
#include <sys/utsname.h>

#include <charconv>
#include <fstream>

#include "foundation/Bundle.hpp"

namespace firebase {

namespace {

std::optional<utsname> unameOfSystem() {
  utsname info{};
  if (uname(&info) != 0) return std::nullopt;
  return info;
}

// The leading decimal number of text, advancing past it and one separator.
long takeNumber(std::string_view& text) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return 0;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  if (!text.empty() && text.front() == '.') text.remove_prefix(1);
  return value;
}

}  // namespace

// Linux executables carry no App Store encryption information and there is
// no App Store receipt, so neither probe can ever answer yes here.
bool GULAppEnvironmentUtil::isFromAppStore() { return false; }

bool GULAppEnvironmentUtil::isAppStoreReceiptSandbox() { return false; }

bool GULAppEnvironmentUtil::isSimulator() { return false; }

bool GULAppEnvironmentUtil::isAppExtension() {
  return platform::Bundle::main().objectForInfoDictionaryKey("NSExtension") != nullptr;
}

bool GULAppEnvironmentUtil::isAppClip() { return false; }

std::optional<std::string> GULAppEnvironmentUtil::getSysctlEntry(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name.find("..") != std::string::npos) return std::nullopt;
  std::string relative = name;
  for (char& c : relative) {
    if (c == '.') c = '/';
  }
  std::ifstream file("/proc/sys/" + relative);
  if (!file) return std::nullopt;
  std::string value;
  std::getline(file, value);
  if (value.empty()) return std::nullopt;
  return value;
}

std::string GULAppEnvironmentUtil::deviceModel() {
  static const std::string model = [] {
    auto entry = getSysctlEntry("hw.model");
    if (entry && !entry->empty()) return *entry;
    auto info = unameOfSystem();
    return info ? std::string(info->machine) : std::string();
  }();
  return model;
}

std::string GULAppEnvironmentUtil::systemVersion() {
  auto info = unameOfSystem();
  if (!info) return {};
  std::string_view release = info->release;
  long major = takeNumber(release);
  long minor = takeNumber(release);
  long patch = takeNumber(release);
  if (patch == 0) return fmt::format("{}.{}", major, minor);
  return fmt::format("{}.{}.{}", major, minor, patch);
}

std::string GULAppEnvironmentUtil::applePlatform() { return "linux"; }

std::string GULAppEnvironmentUtil::deploymentType() { return "cmake"; }

}  // namespace firebase
