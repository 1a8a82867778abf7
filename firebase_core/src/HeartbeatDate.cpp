#include "firebase_core/HeartbeatDate.hpp"

#include <fmt/format.h>

#include <cmath>

namespace firebase {

namespace {
constexpr double kReferenceDateSince1970 = 978307200.0;
constexpr double kDistantPastSinceReferenceDate = -63114076800.0;
constexpr double kSecondsPerDay = 86400.0;
}  // namespace

double secondsSinceReferenceDate(Date date) { return date.time_since_epoch().count() - kReferenceDateSince1970; }

Date dateWithSecondsSinceReferenceDate(double seconds) {
  return Date(Date::duration(seconds + kReferenceDateSince1970));
}

Date distantPast() { return dateWithSecondsSinceReferenceDate(kDistantPastSinceReferenceDate); }

Date startOfDayUTC(Date date) {
  const double seconds = date.time_since_epoch().count();
  return Date(Date::duration(std::floor(seconds / kSecondsPerDay) * kSecondsPerDay));
}

std::string utcDayText(Date date) {
  using namespace std::chrono;
  const auto day = floor<days>(date);
  const year_month_day ymd{day};
  return fmt::format("{:04}-{:02}-{:02}", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                     static_cast<unsigned>(ymd.day()));
}

}  // namespace firebase
