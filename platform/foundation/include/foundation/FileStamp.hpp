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
// inode.
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

  bool operator==(const FileStamp&) const = default;
  // Worth trusting as "unchanged" when equal to the stamp of the last read.
  bool isReliable() const { return error == 0; }
};

// The stamp of the file at the path, following links.
FileStamp stampOf(const std::filesystem::path& file);

}  // namespace platform::files
