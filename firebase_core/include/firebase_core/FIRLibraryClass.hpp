#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "firebase_core/FIRComponent.hpp"

namespace firebase {

// A library's marker class, declared to the core so that configuring the
// first app can find it by name: user-agent libraries (the Vertex AI client
// declares "FIRVertexAIComponent", which adds "fire-vertex") and component
// registrants ("FIRSessions", "FIRAuthComponent").
class FIRLibraryClass {
 public:
  virtual ~FIRLibraryClass() = default;
  virtual std::string className() const = 0;
  // The library's own version; the core version when absent.
  virtual std::optional<std::string> sdkVersion() const { return std::nullopt; }
  // The components it provides; absent for a class that provides none.
  virtual std::optional<std::vector<FIRComponent>> componentsToRegister() const { return std::nullopt; }

  // Declares a class for the process; a later class of the same name replaces it.
  static void declare(std::shared_ptr<const FIRLibraryClass> libraryClass);
  static std::shared_ptr<const FIRLibraryClass> named(const std::string& className);
};

}  // namespace firebase
