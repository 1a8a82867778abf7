#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A calendar date in the Gregorian calendar, without a time zone, any of
// whose year, month and day may be absent (a year alone, a month and a day).
struct DateComponents {
  std::optional<std::int64_t> year;
  std::optional<std::int64_t> month;
  std::optional<std::int64_t> day;

  // Whether the components name a date that exists: a year from 1, a month
  // from 1 to 12, and a day that the month has (a day of February without a
  // year may be the 29th).
  bool isValidDate() const;
  // Such as "calendar: gregorian year: 2024 month: 2 day: 30".
  std::string description() const;

  bool operator==(const DateComponents&) const = default;
};

}  // namespace platform
