#include "foundation/DateComponents.hpp"

#include <fmt/format.h>

namespace platform {
namespace {

bool isLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::int64_t daysInMonth(std::int64_t month, std::optional<std::int64_t> year) {
  static constexpr std::int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && (!year || isLeapYear(*year))) return 29;
  return kDays[month - 1];
}

}  // namespace

bool DateComponents::isValidDate() const {
  if (year && *year < 1) return false;
  if (month && (*month < 1 || *month > 12)) return false;
  if (day && (*day < 1 || *day > daysInMonth(month.value_or(1), year))) return false;
  return true;
}

std::string DateComponents::description() const {
  std::string out = "calendar: gregorian";
  if (year) out += fmt::format(" year: {}", *year);
  if (month) out += fmt::format(" month: {}", *month);
  if (day) out += fmt::format(" day: {}", *day);
  return out;
}

}  // namespace platform
