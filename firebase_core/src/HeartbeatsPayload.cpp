#include "firebase_core/HeartbeatsPayload.hpp"

#include <charconv>

#include "firebase_core/GzipData.hpp"
#include "foundation/Base64.hpp"
#include "foundation/Json.hpp"

namespace firebase {

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// "yyyy-MM-dd" as midnight UTC of that day.
std::optional<Date> dateOfDayText(const std::string& text) {
  using namespace std::chrono;
  int year = 0;
  unsigned month = 0;
  unsigned day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto number = [&](std::size_t from, std::size_t length, auto& value) {
    auto [end, error] = std::from_chars(text.data() + from, text.data() + from + length, value);
    return error == std::errc() && end == text.data() + from + length;
  };
  if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day)) return std::nullopt;
  const year_month_day ymd{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
  if (!ymd.ok()) return std::nullopt;
  return Date(sys_days(ymd));
}

}  // namespace

const HeartbeatsPayload& HeartbeatsPayload::emptyPayload() {
  static const HeartbeatsPayload empty;
  return empty;
}

std::optional<std::string> HeartbeatsPayload::headerJSON() const {
  platform::json::Value heartbeats = platform::json::Value::array();
  for (const auto& entry : userAgentPayloads) {
    platform::json::Value dates = platform::json::Value::array();
    for (const auto& date : entry.dates) dates.push_back(utcDayText(date));
    heartbeats.push_back({{"agent", entry.agent}, {"dates", std::move(dates)}});
  }
  auto json = platform::json::serialize({{"heartbeats", std::move(heartbeats)}, {"version", version}});
  if (!json) return std::nullopt;
  return *json;
}

std::optional<HeartbeatsPayload> HeartbeatsPayload::fromHeaderJSON(std::string_view json) {
  auto document = platform::json::parse(json);
  if (!document || !document->is_object()) return std::nullopt;
  auto version = platform::json::integerMember(*document, "version");
  const auto* heartbeats = platform::json::member(*document, "heartbeats");
  if (!version || heartbeats == nullptr || !heartbeats->is_array()) return std::nullopt;
  HeartbeatsPayload payload;
  payload.version = *version;
  for (const auto& entry : *heartbeats) {
    auto agent = platform::json::stringMember(entry, "agent");
    const auto* dates = platform::json::member(entry, "dates");
    if (!agent || dates == nullptr || !dates->is_array()) return std::nullopt;
    UserAgentPayload agentPayload{*agent, {}};
    for (const auto& text : *dates) {
      auto date = text.is_string() ? dateOfDayText(text.get<std::string>()) : std::nullopt;
      if (!date) return std::nullopt;
      agentPayload.dates.push_back(*date);
    }
    payload.userAgentPayloads.push_back(std::move(agentPayload));
  }
  return payload;
}

std::string HeartbeatsPayload::headerValue() const {
  auto json = headerJSON();
  if (!json) return emptyPayload().headerValue();
  auto compressed = gzip::dataByGzippingData(bytesOf(*json));
  if (!compressed) return platform::base64::encodeURLSafe(bytesOf(*json));
  return platform::base64::encodeURLSafe(*compressed);
}

std::optional<std::string> FIRHeaderValueFromHeartbeatsPayload(const HeartbeatsPayload* payload) {
  if (payload == nullptr || payload->isEmpty()) return std::nullopt;
  return payload->headerValue();
}

}  // namespace firebase
