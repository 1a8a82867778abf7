#include "firebase_core/FIRTimestamp.hpp"

#include <fmt/format.h>

#include <cmath>

namespace firebase {

namespace {
constexpr std::int64_t kMinimumSeconds = -62135596800;  // 0001-01-01T00:00:00Z
constexpr std::int64_t kMaximumSeconds = 253402300799;  // 9999-12-31T23:59:59Z
constexpr std::int32_t kNanosecondsPerSecond = 1000000000;
}  // namespace

FIRTimestamp::FIRTimestamp(std::int64_t seconds, std::int32_t nanoseconds)
    : seconds_(seconds), nanoseconds_(nanoseconds) {
  if (nanoseconds < 0 || nanoseconds >= kNanosecondsPerSecond) {
    throw FIRTimestampException("Invalid timestamp",
                                fmt::format("Timestamp nanoseconds out of range: {}", nanoseconds));
  }
  if (seconds < kMinimumSeconds || seconds > kMaximumSeconds) {
    throw FIRTimestampException("Invalid timestamp", fmt::format("Timestamp seconds out of range: {}", seconds));
  }
}

FIRTimestamp FIRTimestamp::timestamp() {
  return timestampWithDate(std::chrono::time_point_cast<Date::duration>(std::chrono::system_clock::now()));
}

FIRTimestamp FIRTimestamp::timestampWithDate(Date date) {
  double whole = 0;
  double fraction = std::modf(date.time_since_epoch().count(), &whole);
  if (fraction < 0) {
    whole -= 1;
    fraction += 1;
  }
  // Checked while still a double: converting 1e300 or NaN to an integer is
  // undefined.
  if (!(whole >= static_cast<double>(kMinimumSeconds) && whole <= static_cast<double>(kMaximumSeconds))) {
    throw FIRTimestampException("Invalid timestamp", fmt::format("Timestamp seconds out of range: {}", whole));
  }
  auto seconds = static_cast<std::int64_t>(whole);
  auto nanoseconds = static_cast<std::int64_t>(fraction * 1e9);
  // A tiny negative fraction rounds up to a whole second: carry it instead of
  // making an out-of-range nanosecond count.
  if (nanoseconds >= kNanosecondsPerSecond) {
    seconds += 1;
    nanoseconds -= kNanosecondsPerSecond;
  }
  return FIRTimestamp(seconds, static_cast<std::int32_t>(nanoseconds));
}

FIRTimestamp::Date FIRTimestamp::dateValue() const {
  return Date(Date::duration(static_cast<double>(seconds_) + nanoseconds_ / 1e9));
}

int FIRTimestamp::compare(const FIRTimestamp& other) const {
  if (seconds_ != other.seconds_) return seconds_ < other.seconds_ ? -1 : 1;
  if (nanoseconds_ != other.nanoseconds_) return nanoseconds_ < other.nanoseconds_ ? -1 : 1;
  return 0;
}

std::size_t FIRTimestamp::hash() const { return static_cast<std::size_t>(seconds_ ^ (seconds_ >> 32) ^ nanoseconds_); }

std::string FIRTimestamp::description() const {
  return fmt::format("<FIRTimestamp: seconds={} nanoseconds={}>", seconds_, nanoseconds_);
}

std::string FIRTimestamp::ISO8601String() const {
  namespace chrono = std::chrono;
  const chrono::sys_seconds whole{chrono::seconds{seconds_}};
  const auto day = chrono::floor<chrono::days>(whole);
  const chrono::year_month_day date{day};
  const chrono::hh_mm_ss time{whole - day};
  std::string text = fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}", static_cast<int>(date.year()),
                                 static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                                 time.hours().count(), time.minutes().count(), time.seconds().count());
  if (text.size() != 19) throw FIRTimestampException("Invalid ISO string", fmt::format("Invalid ISO string: {}", text));
  return fmt::format("{}.{:09}Z", text, nanoseconds_);
}

}  // namespace firebase
