#pragma once

#include <chrono>
#include <string>

namespace firebase {

// A point in time with a fractional second, as heartbeats record it.
using Date = std::chrono::sys_time<std::chrono::duration<double>>;

// The store file writes dates as seconds since 2001-01-01T00:00:00Z.
double secondsSinceReferenceDate(Date date);
Date dateWithSecondsSinceReferenceDate(double seconds);
// Earlier than every real heartbeat (0001-01-01T00:00:00Z), and exact in JSON.
Date distantPast();
// Midnight UTC of the day that holds the date.
Date startOfDayUTC(Date date);
// "yyyy-MM-dd" of the date's UTC day.
std::string utcDayText(Date date);

}  // namespace firebase
