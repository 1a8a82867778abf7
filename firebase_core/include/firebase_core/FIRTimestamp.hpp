#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace firebase {

// Raised for a timestamp outside its range and for a date that cannot be
// printed; name() is "Invalid timestamp" or "Invalid ISO string".
class FIRTimestampException : public std::invalid_argument {
 public:
  FIRTimestampException(std::string name, const std::string& reason)
      : std::invalid_argument(reason), name_(std::move(name)) {}
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

// A point in time as whole seconds since 1970 and nanoseconds, from
// 0001-01-01T00:00:00Z to 9999-12-31T23:59:59.999999999Z.
class FIRTimestamp {
 public:
  using Date = std::chrono::sys_time<std::chrono::duration<double>>;

  FIRTimestamp(std::int64_t seconds, std::int32_t nanoseconds);
  static FIRTimestamp timestamp();
  static FIRTimestamp timestampWithDate(Date date);

  std::int64_t seconds() const { return seconds_; }
  std::int32_t nanoseconds() const { return nanoseconds_; }
  Date dateValue() const;

  // -1, 0 or 1.
  int compare(const FIRTimestamp& other) const;
  bool operator==(const FIRTimestamp& other) const { return compare(other) == 0; }
  std::size_t hash() const;
  std::string description() const;
  // "yyyy-MM-ddTHH:mm:ss.nnnnnnnnnZ" in UTC.
  std::string ISO8601String() const;

 private:
  std::int64_t seconds_;
  std::int32_t nanoseconds_;
};

}  // namespace firebase
