#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <utility>

// The one output of every log line of the process: the console's, the OS log
// stand-in's and, through it, the app core's logger's. Lines come out whole
// and in the order they were logged, across threads and sources, so that a
// failure's error line is its last, even when one source (the core's logger)
// writes its lines later, on a queue of its own. A line whose write throws
// (its sink, or an allocation) is lost, and only it: the lines after it go
// out as if it had been written.
namespace platform::log_output {

enum class Stream { standardOutput, standardError };

// A line's place in the order, taken when the line is logged; its copies are
// the same place. A place that is never written (the work that would write it
// failed, or was never queued) is given up when its last copy is gone, so
// that the lines after it still go out.
class Place {
 private:
  struct Reservation;
  explicit Place(std::shared_ptr<Reservation> reservation) : reservation_(std::move(reservation)) {}
  friend Place reserve();
  friend void writeAt(Place place, std::function<void()> write);
  std::shared_ptr<Reservation> reservation_;
};
Place reserve();

// Runs `write` once every line placed before it has been written or given up;
// one line is written at a time. Returns at once: the line may be written
// later, by the thread that writes the line before it. For a line logged now
// and written later on another thread. A place is written once.
void writeAt(Place place, std::function<void()> write);

// Runs `write` at the next place and returns once it has run (from within a
// line being written: once it is queued behind that line).
void writeNext(std::function<void()> write);

// The line and a line feed, in one write to the stream, flushed. Called by
// the `write` functions above.
void writeLine(Stream stream, std::string_view line);

}  // namespace platform::log_output
