#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Bundle.hpp"

namespace firebase {

// Finds the options list among the program's bundles and compares bundle
// identifiers.
class FIRBundleUtil {
 public:
  // The bundles to search: the program's own (on Linux the library has no
  // bundle apart from the program's).
  static std::vector<const platform::Bundle*> relevantBundles();
  // The first bundle, in order, with a resource "<name>.<type>" gives its path.
  static std::optional<std::filesystem::path> optionsDictionaryPathWithResourceName(
      const std::string& name, const std::string& type, const std::vector<const platform::Bundle*>& bundles);
  // Whether a bundle's identifier is the given one; in an app extension its
  // identifier without the last dot-separated part counts too.
  static bool hasBundleIdentifierPrefix(const std::string& bundleIdentifier,
                                        const std::vector<const platform::Bundle*>& bundles);
  static std::string bundleIdentifierByRemovingLastPartFrom(const std::string& bundleIdentifier);
};

}  // namespace firebase
