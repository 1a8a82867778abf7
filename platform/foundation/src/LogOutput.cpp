#include "foundation/LogOutput.hpp"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform::log_output {
namespace {

struct Slot {
  std::function<void()> write;
  bool due = false;  // written, or given up: its turn may pass
};

struct Output {
  std::mutex mutex;
  std::condition_variable written;
  std::uint64_t nextPlace = 0;
  std::uint64_t nextToWrite = 0;
  // Every place from nextToWrite on, in order. A place has its slot from the
  // moment it is taken, so writing or giving it up later allocates nothing
  // and cannot fail.
  std::deque<Slot> slots;
  // The thread writing lines now, if any: it writes every line whose turn
  // comes meanwhile.
  std::thread::id writer;
};

Output& output() {
  // Never destroyed: lines are logged while the process exits.
  static Output* shared = new Output();
  return *shared;
}

// Caller holds the lock, which is released while a line is written.
void writeDueLines(Output& out, std::unique_lock<std::mutex>& lock) {
  if (out.writer != std::thread::id()) return;
  out.writer = std::this_thread::get_id();
  while (!out.slots.empty() && out.slots.front().due) {
    {
      auto write = std::move(out.slots.front().write);
      lock.unlock();
      if (write) {
        // A log has nowhere to report its own failure: the line is lost and
        // its turn passes, so that no later line waits for it.
        try {
          write();
        } catch (...) {
        }
      }
    }  // dropped unlocked: the work may hold a place, which takes the lock to give itself up
    lock.lock();
    out.slots.pop_front();
    ++out.nextToWrite;
  }
  out.writer = std::thread::id();
  out.written.notify_all();
}

// Marks `place` due, with the line that writes it or with none.
void makeDue(std::uint64_t place, std::function<void()> write) {
  Output& out = output();
  std::unique_lock lock(out.mutex);
  Slot& slot = out.slots[place - out.nextToWrite];
  slot.write = std::move(write);
  slot.due = true;
  writeDueLines(out, lock);
}

}  // namespace

struct Place::Reservation {
  std::optional<std::uint64_t> unwritten;
  ~Reservation() {
    if (unwritten) makeDue(*unwritten, {});
  }
};

Place reserve() {
  auto reservation = std::make_shared<Place::Reservation>();
  Output& out = output();
  std::lock_guard lock(out.mutex);
  out.slots.emplace_back();
  reservation->unwritten = out.nextPlace++;
  return Place(std::move(reservation));
}

void writeAt(Place place, std::function<void()> write) {
  auto& unwritten = place.reservation_->unwritten;
  if (!unwritten) return;
  const std::uint64_t number = *std::exchange(unwritten, std::nullopt);
  makeDue(number, std::move(write));
}

void writeNext(std::function<void()> write) {
  Output& out = output();
  std::unique_lock lock(out.mutex);
  out.slots.push_back({std::move(write), true});
  const std::uint64_t place = out.nextPlace++;
  writeDueLines(out, lock);
  // A line logged while a line is written by this very thread follows it.
  if (out.writer == std::this_thread::get_id()) return;
  out.written.wait(lock, [&] { return out.nextToWrite > place; });
}

void writeLine(Stream stream, std::string_view line) {
  std::FILE* file = stream == Stream::standardOutput ? stdout : stderr;
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

}  // namespace platform::log_output
