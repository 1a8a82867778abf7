#include "foundation/FileStamp.hpp"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace platform::files {

namespace {
thread_local std::uint64_t currentScope = 0;
thread_local int scopeDepth = 0;
std::atomic<std::uint64_t> lastScope{0};
}  // namespace

ReadOnceScope::ReadOnceScope() {
  if (scopeDepth++ == 0) currentScope = ++lastScope;
}

ReadOnceScope::~ReadOnceScope() {
  if (--scopeDepth == 0) currentScope = 0;
}

std::uint64_t ReadOnceScope::current() { return currentScope; }

namespace {
// How long after a change its times may still be handed to the next change:
// the file system takes them from the coarse real-time clock. Twice its tick,
// and never below 20 ms, for a margin over a clock read late.
std::int64_t ambiguousNanoseconds() {
  static const std::int64_t span = [] {
    timespec tick{};
    std::int64_t nanoseconds = 0;
    if (::clock_getres(CLOCK_REALTIME_COARSE, &tick) == 0)
      nanoseconds = 2 * (static_cast<std::int64_t>(tick.tv_sec) * 1'000'000'000 + tick.tv_nsec);
    return std::max<std::int64_t>(nanoseconds, 20'000'000);
  }();
  return span;
}
}  // namespace

FileStamp stampOf(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {.error = errno == ENOENT ? 0 : errno};
  auto nanoseconds = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t lastChange = std::max(nanoseconds(st.st_mtim), nanoseconds(st.st_ctim));
  return {.size = static_cast<std::uintmax_t>(st.st_size),
          .modified = nanoseconds(st.st_mtim),
          .changed = nanoseconds(st.st_ctim),
          .device = static_cast<std::uint64_t>(st.st_dev),
          .inode = static_cast<std::uint64_t>(st.st_ino),
          .exists = true,
          .tooRecent = nanoseconds(now) - lastChange < ambiguousNanoseconds()};
}

}  // namespace platform::files
