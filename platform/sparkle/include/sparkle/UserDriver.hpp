#pragma once

#include "foundation/Error.hpp"
#include "sparkle/AppcastItem.hpp"
#include "sparkle/UpdaterConfiguration.hpp"

namespace sparkle {

// How the updater tells people what a check found. The standard driver shows
// the framework's dialogs; tests record the calls. Called on the main thread.
class UserDriver {
 public:
  virtual ~UserDriver() = default;
  // A release newer than the running program.
  virtual void showUpdateFound(const AppcastItem& item, const UpdaterConfiguration& host) = 0;
  // Only after a check the user asked for: nothing newer exists.
  virtual void showUpdateNotFound(const UpdaterConfiguration& host) = 0;
  // Only after a check the user asked for: the feed could not be fetched or read.
  virtual void showUpdaterError(const platform::ErrorPtr& error) = 0;
};

}  // namespace sparkle
