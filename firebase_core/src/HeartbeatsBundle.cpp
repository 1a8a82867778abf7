#include "firebase_core/HeartbeatsBundle.hpp"

#include <algorithm>
#include <vector>

#include "foundation/Json.hpp"

namespace firebase {

namespace {

using platform::json::Value;

HeartbeatsBundle::LastAddedDates distantPastForEveryPeriod() {
  HeartbeatsBundle::LastAddedDates dates;
  for (TimePeriod period : kAllTimePeriods) dates[period] = distantPast();
  return dates;
}

Value encodeDate(Date date) { return secondsSinceReferenceDate(date); }

// Dates far outside the years 1 to 5000 come only from damaged files; they
// would overflow calendar arithmetic later.
constexpr double kLatestReasonableSeconds = 1e11;

std::optional<Date> decodeDate(const Value& value) {
  if (!value.is_number()) return std::nullopt;
  const double seconds = value.get<double>();
  if (!(seconds >= -kLatestReasonableSeconds && seconds <= kLatestReasonableSeconds)) return std::nullopt;
  return dateWithSecondsSinceReferenceDate(seconds);
}

std::optional<TimePeriod> decodePeriod(const Value& value) {
  if (!value.is_number_integer() || value.get<std::int64_t>() != static_cast<std::int64_t>(TimePeriod::daily)) {
    return std::nullopt;
  }
  return TimePeriod::daily;
}

Value encodeHeartbeat(const Heartbeat& heartbeat) {
  Value periods = Value::array();
  for (TimePeriod period : heartbeat.timePeriods) periods.push_back(static_cast<std::int64_t>(period));
  return {{"agent", heartbeat.agent},
          {"date", encodeDate(heartbeat.date)},
          {"version", heartbeat.version},
          {"timePeriods", std::move(periods)}};
}

std::optional<Heartbeat> decodeHeartbeat(const Value& value) {
  auto agent = platform::json::stringMember(value, "agent");
  const Value* date = platform::json::member(value, "date");
  auto version = platform::json::integerMember(value, "version");
  const Value* periods = platform::json::member(value, "timePeriods");
  if (!agent || date == nullptr || !version || periods == nullptr || !periods->is_array()) return std::nullopt;
  Heartbeat heartbeat{*agent, {}, *version, {}};
  auto decodedDate = decodeDate(*date);
  if (!decodedDate) return std::nullopt;
  heartbeat.date = *decodedDate;
  for (const auto& period : *periods) {
    auto decoded = decodePeriod(period);
    if (!decoded) return std::nullopt;
    heartbeat.timePeriods.push_back(*decoded);
  }
  return heartbeat;
}

}  // namespace

HeartbeatsBundle::HeartbeatsBundle(std::int64_t capacity, std::optional<LastAddedDates> lastAddedHeartbeatDates)
    : capacity_(capacity),
      lastAddedHeartbeatDates_(lastAddedHeartbeatDates ? std::move(*lastAddedHeartbeatDates)
                                                       : distantPastForEveryPeriod()),
      buffer_(static_cast<std::size_t>(std::max<std::int64_t>(capacity, 0))) {}

HeartbeatsBundle::HeartbeatsBundle(std::int64_t capacity, LastAddedDates dates, RingBuffer<Heartbeat> buffer)
    : capacity_(capacity), lastAddedHeartbeatDates_(std::move(dates)), buffer_(std::move(buffer)) {}

void HeartbeatsBundle::append(const Heartbeat& heartbeat) {
  if (capacity_ < 1) return;
  if (auto replaced = buffer_.push(heartbeat)) {
    for (auto& [period, date] : lastAddedHeartbeatDates_) {
      if (date == replaced->date) date = distantPast();
    }
  }
  for (TimePeriod period : heartbeat.timePeriods) lastAddedHeartbeatDates_[period] = heartbeat.date;
}

std::optional<Heartbeat> HeartbeatsBundle::takeHeartbeat(Date date) {
  std::vector<Heartbeat> popped;
  std::optional<Heartbeat> taken;
  while (auto heartbeat = buffer_.pop()) {
    if (heartbeat->date == date) {
      taken = std::move(heartbeat);
      break;
    }
    popped.push_back(std::move(*heartbeat));
  }
  for (auto it = popped.rbegin(); it != popped.rend(); ++it) buffer_.push(std::move(*it));
  return taken;
}

HeartbeatsPayload HeartbeatsBundle::makePayload() const {
  std::vector<HeartbeatsPayload::UserAgentPayload> entries;
  for (const auto& heartbeat : buffer_.elements()) {
    auto entry =
        std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.agent == heartbeat.agent; });
    if (entry == entries.end()) {
      entries.push_back({heartbeat.agent, {heartbeat.date}});
    } else {
      entry->dates.push_back(heartbeat.date);
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.agent < b.agent; });
  return HeartbeatsPayload{std::move(entries), HeartbeatsPayload::kVersion};
}

std::expected<std::string, platform::ErrorPtr> HeartbeatsBundle::encode() const {
  Value dates = Value::array();
  for (const auto& [period, date] : lastAddedHeartbeatDates_) {
    dates.push_back(static_cast<std::int64_t>(period));
    dates.push_back(encodeDate(date));
  }
  Value slots = Value::array();
  for (const auto& slot : buffer_.storedSlots()) slots.push_back(slot ? encodeHeartbeat(*slot) : Value(nullptr));
  const Value bundle = {
      {"capacity", capacity_},
      {"lastAddedHeartbeatDates", std::move(dates)},
      {"buffer", {{"circularQueue", std::move(slots)}, {"tailIndex", static_cast<std::int64_t>(buffer_.tailIndex())}}}};
  return platform::json::serialize(bundle);
}

std::optional<HeartbeatsBundle> HeartbeatsBundle::decode(std::string_view json) {
  auto document = platform::json::parse(json);
  if (!document || !document->is_object()) return std::nullopt;
  auto capacity = platform::json::integerMember(*document, "capacity");
  const Value* datesValue = platform::json::member(*document, "lastAddedHeartbeatDates");
  const Value* bufferValue = platform::json::objectMember(*document, "buffer");
  if (!capacity || *capacity < 0 || datesValue == nullptr || !datesValue->is_array() || datesValue->size() % 2 != 0 ||
      bufferValue == nullptr) {
    return std::nullopt;
  }

  LastAddedDates dates;
  for (std::size_t i = 0; i < datesValue->size(); i += 2) {
    auto period = decodePeriod((*datesValue)[i]);
    auto date = decodeDate((*datesValue)[i + 1]);
    if (!period || !date) return std::nullopt;
    dates[*period] = *date;
  }
  // Every bundle this system writes dates every period; without one, no
  // heartbeat would ever fall due for it again.
  for (TimePeriod period : kAllTimePeriods) {
    if (!dates.contains(period)) return std::nullopt;
  }

  const Value* queue = platform::json::member(*bufferValue, "circularQueue");
  auto tailIndex = platform::json::integerMember(*bufferValue, "tailIndex");
  if (queue == nullptr || !queue->is_array() || !tailIndex) return std::nullopt;
  // Slots and capacity must agree, or appending and wrapping would disagree
  // about the buffer's size.
  if (static_cast<std::int64_t>(queue->size()) != *capacity) return std::nullopt;
  RingBuffer<Heartbeat>::Slots slots;
  slots.reserve(queue->size());
  for (const auto& slot : *queue) {
    if (slot.is_null()) {
      slots.emplace_back();
      continue;
    }
    auto heartbeat = decodeHeartbeat(slot);
    if (!heartbeat) return std::nullopt;
    slots.emplace_back(std::move(*heartbeat));
  }
  auto buffer = RingBuffer<Heartbeat>::restore(std::move(slots), *tailIndex);
  if (!buffer) return std::nullopt;
  return HeartbeatsBundle(*capacity, std::move(dates), std::move(*buffer));
}

}  // namespace firebase
