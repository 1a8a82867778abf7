#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "foundation/UserDefaults.hpp"
#include "sparkle/UpdaterConfiguration.hpp"
#include "sparkle/UserDriver.hpp"

namespace sparkle {

// Checks the update feed and tells its user driver what it found. It never
// downloads or installs anything: a newer release is offered through its
// download page (on Linux the package manager installs).
//
// Checks come from the user (checkForUpdates: the outcome is always shown)
// or, once started, on a schedule (the interval of the configuration, counted
// from the last check, which the program's defaults remember under
// "SULastCheckTime": only a newer release is shown). A check asked for while
// one runs joins it. Use on the main thread; destroying the updater drops a
// check in flight and the pending schedule.
class Updater {
 public:
  static constexpr const char* kLastCheckTimeKey = "SULastCheckTime";

  Updater(UpdaterConfiguration configuration, std::shared_ptr<UserDriver> userDriver,
          platform::UserDefaults& defaults = platform::UserDefaults::standard());
  ~Updater();
  Updater(const Updater&) = delete;
  Updater& operator=(const Updater&) = delete;

  // Starts the scheduled checks (when the configuration enables them).
  void startUpdater();
  void checkForUpdates();
  void checkForUpdatesInBackground();

  bool sessionInProgress() const;
  std::optional<std::chrono::system_clock::time_point> lastUpdateCheckDate() const;
  const UpdaterConfiguration& configuration() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace sparkle
