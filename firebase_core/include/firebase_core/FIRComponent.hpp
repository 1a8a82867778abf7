#pragma once

#include <functional>
#include <memory>
#include <string>

namespace firebase {

class FIRApp;
class FIRComponentContainer;

// The base of every component instance. An instance that must hear about its
// app's deletion overrides appWillBeDeleted.
class FIRComponentInstance {
 public:
  virtual ~FIRComponentInstance() = default;
  virtual void appWillBeDeleted(FIRApp& app) {}
};

enum class FIRInstantiationTiming {
  lazy = 0,               // created on the first request
  alwaysEager = 1,        // created when the app is configured
  eagerInDefaultApp = 2,  // eager in the default app, lazy in the others
};

// Makes an instance for a container. Setting isCacheable keeps the instance
// for later requests; otherwise the block runs again on every request.
using FIRComponentCreationBlock =
    std::function<std::shared_ptr<FIRComponentInstance>(FIRComponentContainer& container, bool& isCacheable)>;

// One provided protocol, when to create its instance and how. A protocol is
// an interface class deriving from FIRComponentInstance with a static
// kProtocolName, such as "FIRAppCheckInterop".
struct FIRComponent {
  std::string protocolName;
  FIRInstantiationTiming instantiationTiming = FIRInstantiationTiming::lazy;
  FIRComponentCreationBlock creationBlock;
  std::function<bool(const FIRComponentInstance&)> conformsToProtocol;

  template <typename Protocol>
  static FIRComponent make(FIRComponentCreationBlock creationBlock,
                           FIRInstantiationTiming timing = FIRInstantiationTiming::lazy) {
    return FIRComponent{
        Protocol::kProtocolName, timing, std::move(creationBlock),
        [](const FIRComponentInstance& instance) { return dynamic_cast<const Protocol*>(&instance) != nullptr; }};
  }
};

}  // namespace firebase
