#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "firebase_core/FIRComponent.hpp"
#include "firebase_core/FIRLibraryClass.hpp"

namespace firebase {

// One app's service locator: filled from the registered library classes when
// the app is created, asked for instances by protocol name.
class FIRComponentContainer {
 public:
  using Registrants = std::vector<std::shared_ptr<const FIRLibraryClass>>;

  // Adds a library class to the process-wide registrants (once per class).
  static void registerAsComponentRegistrant(std::shared_ptr<const FIRLibraryClass> libraryClass);

  // The app owns its container, which keeps only a reference back.
  explicit FIRComponentContainer(FIRApp& app);
  FIRComponentContainer(FIRApp& app, const Registrants& registrants);

  FIRApp& app() const { return app_; }

  // Creates every eager component once, right after the app is registered.
  void instantiateEagerComponents();
  // The cached instance, or a new one from the protocol's creation block;
  // null when nobody provides the protocol.
  std::shared_ptr<FIRComponentInstance> instanceForProtocol(const std::string& protocolName);
  void removeAllCachedInstances();
  void removeAllComponents();

  // The app that the AR library configures, which never gets App Check.
  static bool isAppForARCore(const FIRApp& app);

 private:
  void populateComponentsFromRegisteredClasses(const Registrants& registrants);
  std::shared_ptr<FIRComponentInstance> instantiateInstance(const std::string& protocolName,
                                                            const FIRComponent* component);

  FIRApp& app_;
  std::recursive_mutex mutex_;  // creation blocks may call back into the container
  std::map<std::string, FIRComponent> components_;
  std::map<std::string, std::shared_ptr<FIRComponentInstance>> cachedInstances_;
  std::optional<std::vector<std::string>> eagerProtocolsToInstantiate_;
};

// Typed look-up: the instance for Protocol::kProtocolName, as a Protocol.
template <typename Protocol>
std::shared_ptr<Protocol> FIRComponentInstanceForProtocol(FIRComponentContainer& container) {
  return std::dynamic_pointer_cast<Protocol>(container.instanceForProtocol(Protocol::kProtocolName));
}

}  // namespace firebase
