#include <fmt/format.h>

#include "Decoding.hpp"

namespace firebase::vertexai::wire {
namespace {

// Absent, null and 0 all stand for a part that is not given.
std::optional<std::int64_t> readDatePart(Decoder& decoder, std::string_view key) {
  auto value = decoder.ifPresent(key);
  if (!value) return std::nullopt;
  const std::int64_t number = value->int64();
  if (number == 0) return std::nullopt;
  return number;
}

void warnWhenOutside(std::optional<std::int64_t> value, std::int64_t last, VertexLogMessageCode code,
                     std::string_view what, std::string_view zeroMeaning) {
  if (!value || (*value >= 1 && *value <= last)) return;
  logVertexAI(kGULLoggerLevelWarning, code,
              fmt::format("Invalid {}: {}; must be from 1 to {}, or 0 for {}.", what, *value, last, zeroMeaning));
}

}  // namespace

platform::DateComponents readProtoDate(Decoder& decoder) {
  platform::DateComponents date;
  date.year = readDatePart(decoder, "year");
  warnWhenOutside(date.year, 9999, VertexLogMessageCode::dateComponentsInvalidYear, "year",
                  "a date without a specified year");
  date.month = readDatePart(decoder, "month");
  warnWhenOutside(date.month, 12, VertexLogMessageCode::dateComponentsInvalidMonth, "month",
                  "a year date without a specified month and day");
  date.day = readDatePart(decoder, "day");
  if (!date.year && !date.month && !date.day)
    Decoder::fail(std::make_shared<platform::json::DecodingError>(
        platform::json::DecodingError::Kind::dataCorrupted, std::vector<std::string>{"year", "month", "day"},
        "Invalid date: missing year, month and day"));
  warnWhenOutside(date.day, 31, VertexLogMessageCode::dateComponentsInvalidDay, "day",
                  "a date without a specified day");
  return date;
}

}  // namespace firebase::vertexai::wire
