#include "firebase_core/FIRComponentContainer.hpp"

#include <algorithm>

#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRLogger.hpp"

namespace firebase {

namespace {

constexpr const char* kARCoreAppName = "ARCoreFIRApp";
constexpr const char* kARCoreGCMSenderID = "123456789000";

struct RegistrantSet {
  std::mutex mutex;
  FIRComponentContainer::Registrants registrants;
};

RegistrantSet& registrantSet() {
  static RegistrantSet set;
  return set;
}

FIRComponentContainer::Registrants currentRegistrants() {
  auto& set = registrantSet();
  std::lock_guard lock(set.mutex);
  return set.registrants;
}

}  // namespace

void FIRComponentContainer::registerAsComponentRegistrant(std::shared_ptr<const FIRLibraryClass> libraryClass) {
  auto& set = registrantSet();
  std::lock_guard lock(set.mutex);
  auto sameClass = [&](const auto& known) { return known->className() == libraryClass->className(); };
  if (std::none_of(set.registrants.begin(), set.registrants.end(), sameClass)) {
    set.registrants.push_back(std::move(libraryClass));
  }
}

FIRComponentContainer::FIRComponentContainer(FIRApp& app) : app_(app) {
  Registrants registrants = currentRegistrants();
  if (isAppForARCore(app)) {
    std::erase_if(registrants,
                  [](const auto& registrant) { return registrant->className() == "FIRAppCheckComponent"; });
  }
  populateComponentsFromRegisteredClasses(registrants);
}

FIRComponentContainer::FIRComponentContainer(FIRApp& app, const Registrants& registrants) : app_(app) {
  populateComponentsFromRegisteredClasses(registrants);
}

bool FIRComponentContainer::isAppForARCore(const FIRApp& app) {
  return app.name() == kARCoreAppName && app.options().GCMSenderID() == kARCoreGCMSenderID;
}

void FIRComponentContainer::populateComponentsFromRegisteredClasses(const Registrants& registrants) {
  eagerProtocolsToInstantiate_.emplace();
  for (const auto& registrant : registrants) {
    for (auto& component : registrant->componentsToRegister().value_or(std::vector<FIRComponent>{})) {
      if (components_.contains(component.protocolName)) {
        FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000029",
               "Attempted to register protocol {}, but it already has an implementation.", component.protocolName);
        continue;
      }
      const bool eager =
          component.instantiationTiming == FIRInstantiationTiming::alwaysEager ||
          (component.instantiationTiming == FIRInstantiationTiming::eagerInDefaultApp && app_.isDefaultApp());
      if (eager) eagerProtocolsToInstantiate_->push_back(component.protocolName);
      components_.emplace(component.protocolName, std::move(component));
    }
  }
}

void FIRComponentContainer::instantiateEagerComponents() {
  std::lock_guard lock(mutex_);
  if (eagerProtocolsToInstantiate_) {
    for (const auto& protocolName : *eagerProtocolsToInstantiate_) instanceForProtocol(protocolName);
  }
  eagerProtocolsToInstantiate_.reset();
}

std::shared_ptr<FIRComponentInstance> FIRComponentContainer::instanceForProtocol(const std::string& protocolName) {
  std::lock_guard lock(mutex_);
  if (auto cached = cachedInstances_.find(protocolName); cached != cachedInstances_.end()) return cached->second;
  auto component = components_.find(protocolName);
  return instantiateInstance(protocolName, component == components_.end() ? nullptr : &component->second);
}

std::shared_ptr<FIRComponentInstance> FIRComponentContainer::instantiateInstance(const std::string& protocolName,
                                                                                 const FIRComponent* component) {
  if (component == nullptr || !component->creationBlock) return nullptr;
  // The block may register or look up other protocols: keep our own copy.
  const FIRComponent provider = *component;
  bool isCacheable = false;
  auto instance = provider.creationBlock(*this, isCacheable);
  if (instance && provider.conformsToProtocol && !provider.conformsToProtocol(*instance)) {
    FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000030",
           "An instance conforming to {} was requested, but the instance provided does not conform to the protocol",
           protocolName);
  }
  if (isCacheable && instance) cachedInstances_[protocolName] = instance;
  return instance;
}

void FIRComponentContainer::removeAllCachedInstances() {
  std::lock_guard lock(mutex_);
  for (const auto& [name, instance] : cachedInstances_) instance->appWillBeDeleted(app_);
  cachedInstances_.clear();
}

void FIRComponentContainer::removeAllComponents() {
  std::lock_guard lock(mutex_);
  components_.clear();
}

}  // namespace firebase
