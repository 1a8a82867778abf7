#pragma once

#include <cstddef>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reads, and whole-file writes that readers and other processes
// can rely on.
namespace platform::files {

// Why a stored file could not be read or written.
struct FileFailure {
  int error = 0;       // the errno of the failing call; 0 when we refused the file ourselves
  std::string reason;  // for messages: the system's text for `error`, or why the file was refused

  bool isMissing() const;  // no such file
};

// `file` and, when it is a symbolic link, every file its chain of links
// leads to, in order: the last is no link, and may not exist. Links that
// loop, or cannot be read, fail as the system says.
std::expected<std::vector<std::filesystem::path>, FileFailure> linkChain(const std::filesystem::path& file);

// The whole content of a regular file of at most maxBytes. Opening never
// waits, and nothing is read beyond maxBytes: a FIFO, a device or another
// special file, and a file larger than maxBytes (or growing past it while
// being read), are refused. A folder fails as the system says ("Is a
// directory").
std::expected<std::string, FileFailure> readWholeFile(const std::filesystem::path& file, std::size_t maxBytes);

// How far a replacement goes before it returns. Either way the new content is
// synced before the rename, so a reader, and the file after a crash, holds
// the old content or the new, never a part. `survivesCrash` syncs the folder
// too, so that a crash leaves the new content; `mayRevertOnCrash` leaves the
// rename to the system's next write-back, one sync less, for changes that
// nobody needs back after a crash (diagnostics).
enum class Durability { survivesCrash, mayRevertOnCrash };

// An exclusive advisory lock on "<file>.lock", shared by every process, held
// for as long as the object lives. The lock lives on a file of its own
// because the file it guards is replaced on every write. A symbolic link in
// the lock file's place is never followed: the lock is then not held.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool held() const { return descriptor_ >= 0; }
  // Why the lock is not held.
  FileFailure failure() const;

  // Replaces the guarded file's content as a whole: writes a private (0600)
  // temporary file beside it, syncs it and renames it over the file, so a
  // reader sees the old content or the new, never a part. When the file is
  // a symbolic link (dotfile managers keep settings so), the file at the end
  // of its links is replaced, beside itself, and the links stay. A file that
  // is there but is not a regular file is never replaced.
  //
  // First removes the temporary files that writers killed before their
  // rename left behind (they may hold secrets). They are named
  // ".<file>.tmp-" and six letters or digits, a name no stored file has: a
  // settings file's name ends in ".plist", a lock file's in ".lock", and the
  // other stored files are never hidden. So no other domain's file, however
  // its domain is named, is ever taken for a leftover.
  //
  // Fails when the lock is not held or a step fails; the file is then as it
  // was and no temporary file is left behind.
  std::expected<void, FileFailure> replaceAtomically(std::string_view contents,
                                                     Durability durability = Durability::survivesCrash) const;

 private:
  std::filesystem::path file_;
  int descriptor_ = -1;
  int error_ = 0;
};

}  // namespace platform::files
