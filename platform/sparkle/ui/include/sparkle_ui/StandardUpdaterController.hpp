#pragma once

#include <memory>

#include "sparkle/Updater.hpp"
#include "sparkle_ui/StandardUserDriver.hpp"

namespace sparkle_ui {

// The updater of the running program, configured from its bundle's Info
// list and speaking through the standard dialogs; with `startingUpdater` it
// starts its scheduled checks at once. The program needs no delegates here.
class StandardUpdaterController {
 public:
  explicit StandardUpdaterController(bool startingUpdater);

  sparkle::Updater& updater() { return updater_; }
  StandardUserDriver& userDriver() { return *userDriver_; }

 private:
  std::shared_ptr<StandardUserDriver> userDriver_;
  sparkle::Updater updater_;
};

}  // namespace sparkle_ui
