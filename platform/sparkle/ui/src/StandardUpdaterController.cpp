#include "sparkle_ui/StandardUpdaterController.hpp"

#include "foundation/Bundle.hpp"

namespace sparkle_ui {

StandardUpdaterController::StandardUpdaterController(bool startingUpdater)
    : userDriver_(std::make_shared<StandardUserDriver>()),
      updater_(sparkle::UpdaterConfiguration::fromBundle(platform::Bundle::main()), userDriver_) {
  if (startingUpdater) updater_.startUpdater();
}

}  // namespace sparkle_ui
