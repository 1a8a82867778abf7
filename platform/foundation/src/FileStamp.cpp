#include "foundation/FileStamp.hpp"

#include <sys/stat.h>

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

FileStamp stampOf(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {.error = errno == ENOENT ? 0 : errno};
  auto nanoseconds = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
  return {.size = static_cast<std::uintmax_t>(st.st_size),
          .modified = nanoseconds(st.st_mtim),
          .changed = nanoseconds(st.st_ctim),
          .device = static_cast<std::uint64_t>(st.st_dev),
          .inode = static_cast<std::uint64_t>(st.st_ino),
          .exists = true};
}

}  // namespace platform::files
