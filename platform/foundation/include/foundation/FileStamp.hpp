#pragma once

#include <cstdint>
#include <filesystem>

namespace platform::files {

// What tells one version of a file from the next without reading it: a file
// whose stamp is unchanged is not read again. The times are to the
// nanosecond and the change time is kept too, so that a rewrite of the same
// size in the same second is told apart wherever the file system's clock
// does so (Linux gives a file that was looked at since its last change a
// finer time stamp at the next change); a replacement by rename changes the
// inode. Where the clock is coarse (kernels before 6.13 stamp files to the
// tick of the coarse clock, a few milliseconds), a change in the tick in
// which the file was looked at, or a rename onto it of a file that was given
// its freed inode, can leave every field as it was: a stamp taken within
// that tick is not trusted, as git does not trust a "racy" index entry.
struct FileStamp {
  std::uintmax_t size = 0;
  std::int64_t modified = 0;  // nanoseconds
  std::int64_t changed = 0;   // nanoseconds
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool exists = false;
  // Why the file could not be looked at, unless it is simply absent: such a
  // file counts as changed every time.
  int error = 0;
  // Changed so shortly before it was looked at that a change still to come
  // could carry the same times.
  bool tooRecent = false;

  bool operator==(const FileStamp&) const = default;
  // Worth trusting as "unchanged" when equal to the stamp of the last read.
  bool isReliable() const { return error == 0 && !tooRecent; }
};

// The stamp of the file at the path, following links.
FileStamp stampOf(const std::filesystem::path& file);

// While one lives on a thread, a stored file that was already looked at on
// that thread within it is taken as unchanged: one request reads each
// settings file once, as it was when the request began, and the next request
// looks again. Scopes nest; the outermost one decides.
class ReadOnceScope {
 public:
  ReadOnceScope();
  ~ReadOnceScope();
  ReadOnceScope(const ReadOnceScope&) = delete;
  ReadOnceScope& operator=(const ReadOnceScope&) = delete;

  // The outermost scope on this thread, unique in the process; 0 outside any.
  static std::uint64_t current();
};

// What a file cache keeps to look at its file once per scope.
class ScopedStampCheck {
 public:
  // True when the file must be looked at now; remembers the scope.
  bool due() {
    const std::uint64_t scope = ReadOnceScope::current();
    if (scope != 0 && scope == checkedIn_) return false;
    checkedIn_ = scope;
    return true;
  }
  // The next look is due whatever the scope (the file was read in vain).
  void forget() { checkedIn_ = 0; }

 private:
  std::uint64_t checkedIn_ = 0;
};

}  // namespace platform::files
