#include "XMLScalarText.hpp"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>

#include "foundation/Base64.hpp"

namespace platform::plist::xml {
namespace {

using Refusal = std::unexpected<std::string>;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The sign in front of a number, taken off it: true for "-". A second sign
// stays, so that the number after it is refused.
bool takeSign(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  const bool negative = text.front() == '-';
  text.remove_prefix(1);
  return negative;
}

// The `width` decimal digits at `at`, or nothing when one of them is not a digit.
std::optional<int> decimalField(std::string_view text, std::size_t at, std::size_t width) {
  int value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::expected<PropertyValue, std::string> integerOfText(std::string_view text) {
  std::string_view digits = trimmed(text);
  const bool negative = takeSign(digits);
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, magnitude, base);
  if (error == std::errc::result_out_of_range) return Refusal("lies beyond 64 bits");
  if (error != std::errc() || stop != end) return Refusal("is not a whole number");
  constexpr std::uint64_t kSignedMaximum = std::numeric_limits<std::int64_t>::max();
  if (!negative) return PropertyValue(magnitude);  // held as signed up to INT64_MAX
  if (magnitude > kSignedMaximum + 1) return Refusal("lies beyond 64 bits");
  if (magnitude == kSignedMaximum + 1) return PropertyValue(std::numeric_limits<std::int64_t>::min());
  return PropertyValue(-static_cast<std::int64_t>(magnitude));
}

std::expected<PropertyValue, std::string> realOfText(std::string_view text) {
  std::string_view number = trimmed(text);
  // from_chars reads a minus sign only.
  if (number.starts_with('+')) {
    number.remove_prefix(1);
    if (number.starts_with('-') || number.starts_with('+')) return Refusal("is not a number");
  }
  double value = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, value);
  if (error == std::errc::result_out_of_range) return Refusal("lies beyond what a real number holds");
  if (error != std::errc() || stop != end || number.empty()) return Refusal("is not a number");
  return PropertyValue(value);
}

std::expected<PropertyValue, std::string> dateOfText(std::string_view text) {
  const std::string_view date = trimmed(text);
  const Refusal notADate("is not a date of the years 1 to 9999 written YYYY-MM-DDTHH:MM:SSZ");
  if (date.size() != 20 || date[4] != '-' || date[7] != '-' || date[10] != 'T' || date[13] != ':' || date[16] != ':' ||
      date[19] != 'Z')
    return notADate;
  const auto year = decimalField(date, 0, 4), month = decimalField(date, 5, 2), day = decimalField(date, 8, 2);
  const auto hour = decimalField(date, 11, 2), minute = decimalField(date, 14, 2), second = decimalField(date, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return notADate;
  using namespace std::chrono;
  const year_month_day calendarDay{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                                   std::chrono::day(static_cast<unsigned>(*day))};
  if (*year < 1 || !calendarDay.ok() || *hour > 23 || *minute > 59 || *second > 59) return notADate;
  constexpr sys_days kReferenceDay = std::chrono::year(2001) / January / 1;
  const auto days = (sys_days(calendarDay) - kReferenceDay).count();
  // Whole seconds of the years 1 to 9999 are far within a double's exact range.
  const double seconds = static_cast<double>(days) * 86'400 + *hour * 3'600 + *minute * 60 + *second;
  return PropertyValue(PropertyValue::Date{seconds});
}

std::expected<PropertyValue, std::string> dataOfText(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text)
    if (!isBlank(c)) compact += c;
  auto bytes = base64::decode(compact);
  // Decoding drops the unused bits of the last character; only when they
  // are zero does the text say exactly these bytes.
  if (!bytes || base64::encode(*bytes) != compact) return Refusal("is not Base64");
  return PropertyValue(std::move(*bytes));
}

}  // namespace platform::plist::xml
