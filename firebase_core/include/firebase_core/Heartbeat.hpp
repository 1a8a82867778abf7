#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "firebase_core/HeartbeatDate.hpp"
#include "firebase_core/HeartbeatsPayload.hpp"

namespace firebase {

// The periods a heartbeat counts for; stored as its number.
enum class TimePeriod : std::int64_t { daily = 1 };
inline constexpr TimePeriod kAllTimePeriods[] = {TimePeriod::daily};
inline constexpr double kSecondsPerTimePeriodDay = 86400.0;

// One recorded day: which user agent was in use, for which periods.
struct Heartbeat {
  std::string agent;
  Date date;  // midnight UTC of the day it is for
  std::int64_t version = 0;
  std::vector<TimePeriod> timePeriods;

  bool operator==(const Heartbeat&) const = default;
  // One entry with the agent and this heartbeat's date.
  HeartbeatsPayload makePayload() const;
};

}  // namespace firebase
