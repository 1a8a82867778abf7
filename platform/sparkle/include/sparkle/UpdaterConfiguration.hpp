#pragma once

#include <chrono>
#include <string>

#include "foundation/Bundle.hpp"

namespace sparkle {

// What the updater takes from the program's Info list.
struct UpdaterConfiguration {
  std::string feedURL;                  // SUFeedURL
  std::chrono::seconds checkInterval;   // SUScheduledCheckInterval
  bool automaticallyChecks = true;      // SUEnableAutomaticChecks
  std::string hostName;                 // CFBundleDisplayName, else CFBundleName
  std::string hostVersion;              // CFBundleVersion: compared with the feed's versions
  std::string hostDisplayVersion;       // CFBundleShortVersionString: shown

  static constexpr std::chrono::seconds kDefaultCheckInterval{24 * 60 * 60};
  // Scheduled checks come at most once an hour and at least once a year,
  // whatever the Info list says: a longer interval would overrun the clock.
  static constexpr std::chrono::seconds kMinimumCheckInterval{60 * 60};
  static constexpr std::chrono::seconds kMaximumCheckInterval{365 * 24 * 60 * 60};

  static UpdaterConfiguration fromBundle(const platform::Bundle& bundle);
};

// How long after `now` the next scheduled check is due: at once when none
// was made yet or the last one is an interval or more ago (or lies in the
// future, as a changed clock leaves it), else when the interval is up.
std::chrono::seconds delayUntilNextCheck(std::chrono::system_clock::time_point lastCheck,
                                         std::chrono::seconds interval, std::chrono::system_clock::time_point now);

}  // namespace sparkle
