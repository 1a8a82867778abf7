#include "foundation/LogOutput.hpp"

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace platform::log_output {
namespace {

struct Output {
  std::mutex mutex;
  std::condition_variable written;
  std::uint64_t nextPlace = 0;
  std::uint64_t nextToWrite = 0;
  // Lines whose turn has not come yet, by place.
  std::map<std::uint64_t, std::function<void()>> waiting;
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
  while (!out.waiting.empty() && out.waiting.begin()->first == out.nextToWrite) {
    auto write = std::move(out.waiting.begin()->second);
    out.waiting.erase(out.waiting.begin());
    lock.unlock();
    write();
    lock.lock();
    ++out.nextToWrite;
  }
  out.writer = std::thread::id();
  out.written.notify_all();
}

}  // namespace

Place reserve() {
  Output& out = output();
  std::lock_guard lock(out.mutex);
  return {out.nextPlace++};
}

void writeAt(Place place, std::function<void()> write) {
  Output& out = output();
  std::unique_lock lock(out.mutex);
  out.waiting.emplace(place.number, std::move(write));
  writeDueLines(out, lock);
}

void writeNext(std::function<void()> write) {
  Output& out = output();
  std::unique_lock lock(out.mutex);
  const std::uint64_t place = out.nextPlace++;
  out.waiting.emplace(place, std::move(write));
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
