#include "firebase_core/FIRBundleUtil.hpp"

#include "firebase_core/GULAppEnvironmentUtil.hpp"

namespace firebase {

std::vector<const platform::Bundle*> FIRBundleUtil::relevantBundles() { return {&platform::Bundle::main()}; }

std::optional<std::filesystem::path> FIRBundleUtil::optionsDictionaryPathWithResourceName(
    const std::string& name, const std::string& type, const std::vector<const platform::Bundle*>& bundles) {
  for (const auto* bundle : bundles) {
    if (auto path = bundle->pathForResource(name, type)) return path;
  }
  return std::nullopt;
}

bool FIRBundleUtil::hasBundleIdentifierPrefix(const std::string& bundleIdentifier,
                                              const std::vector<const platform::Bundle*>& bundles) {
  for (const auto* bundle : bundles) {
    const std::string identifier = bundle->bundleIdentifier();
    if (identifier == bundleIdentifier) return true;
    if (GULAppEnvironmentUtil::isAppExtension() &&
        bundleIdentifierByRemovingLastPartFrom(identifier) == bundleIdentifier) {
      return true;
    }
  }
  return false;
}

std::string FIRBundleUtil::bundleIdentifierByRemovingLastPartFrom(const std::string& bundleIdentifier) {
  const auto lastDot = bundleIdentifier.rfind('.');
  return lastDot == std::string::npos ? std::string() : bundleIdentifier.substr(0, lastDot);
}

}  // namespace firebase
