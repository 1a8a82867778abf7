#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// A value of a property list: string, integer, real, Boolean, date, data,
// array or dictionary. Integers span the signed and the unsigned 64-bit
// range: those above INT64_MAX are held as unsigned, every other one as
// signed, so each number has one form.
class PropertyValue {
 public:
  using Array = std::vector<PropertyValue>;
  using Dictionary = std::map<std::string, PropertyValue>;
  using Data = std::vector<std::uint8_t>;
  // Seconds since 1 January 2001, 00:00 UTC.
  struct Date {
    double secondsSinceReferenceDate = 0;
    bool operator==(const Date&) const = default;

    static constexpr double kReferenceDateUnixSeconds = 978307200;
    static Date fromTimePoint(std::chrono::system_clock::time_point when) {
      return {std::chrono::duration<double>(when.time_since_epoch()).count() - kReferenceDateUnixSeconds};
    }
    // A date beyond the clock's range (a stored 1e300, an infinity) is the
    // latest or earliest time it can tell, and one that is no number the
    // earliest: converting such a value as it is would be undefined.
    std::chrono::system_clock::time_point timePoint() const {
      using TimePoint = std::chrono::system_clock::time_point;
      // Just inside the clock's ±2^63 ticks, where doubles still convert.
      constexpr double kLimit = 9.2e18;
      const double ticks = std::chrono::duration<double, TimePoint::period>(
                               std::chrono::duration<double>(secondsSinceReferenceDate + kReferenceDateUnixSeconds))
                               .count();
      if (!(ticks > -kLimit)) return TimePoint::min();
      if (!(ticks < kLimit)) return TimePoint::max();
      return TimePoint(TimePoint::duration(static_cast<TimePoint::rep>(ticks)));
    }
  };

  PropertyValue() : storage_(std::string()) {}
  PropertyValue(std::string v) : storage_(std::move(v)) {}
  PropertyValue(const char* v) : storage_(std::string(v)) {}
  PropertyValue(std::int64_t v) : storage_(v) {}
  PropertyValue(int v) : storage_(std::int64_t{v}) {}
  PropertyValue(std::uint64_t v);
  PropertyValue(double v) : storage_(v) {}
  PropertyValue(bool v) : storage_(v) {}
  PropertyValue(Date v) : storage_(v) {}
  PropertyValue(Data v) : storage_(std::move(v)) {}
  PropertyValue(Array v) : storage_(std::move(v)) {}
  PropertyValue(Dictionary v) : storage_(std::move(v)) {}

  bool isString() const { return std::holds_alternative<std::string>(storage_); }
  bool isInteger() const { return std::holds_alternative<std::int64_t>(storage_); }
  bool isReal() const { return std::holds_alternative<double>(storage_); }
  // Only integers above INT64_MAX.
  bool isUnsignedInteger() const { return std::holds_alternative<std::uint64_t>(storage_); }
  bool isNumber() const { return isInteger() || isUnsignedInteger() || isReal(); }
  bool isBool() const { return std::holds_alternative<bool>(storage_); }
  bool isDate() const { return std::holds_alternative<Date>(storage_); }
  bool isData() const { return std::holds_alternative<Data>(storage_); }
  bool isArray() const { return std::holds_alternative<Array>(storage_); }
  bool isDictionary() const { return std::holds_alternative<Dictionary>(storage_); }

  // Exact-type accessors: null when the value is of another type.
  const std::string* asString() const { return std::get_if<std::string>(&storage_); }
  const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(&storage_); }
  const std::uint64_t* asUnsignedInteger() const { return std::get_if<std::uint64_t>(&storage_); }
  const double* asReal() const { return std::get_if<double>(&storage_); }
  const bool* asBool() const { return std::get_if<bool>(&storage_); }
  const Date* asDate() const { return std::get_if<Date>(&storage_); }
  const Data* asData() const { return std::get_if<Data>(&storage_); }
  const Array* asArray() const { return std::get_if<Array>(&storage_); }
  const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&storage_); }

  bool operator==(const PropertyValue&) const = default;

  // A short printed form for diagnostics and the defaults command.
  std::string description() const;

 private:
  std::variant<std::string, std::int64_t, std::uint64_t, double, bool, Date, Data, Array, Dictionary> storage_;
};

}  // namespace platform
