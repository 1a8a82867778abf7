#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

// Whole-file reads, and whole-file writes that readers and other processes
// can rely on.
namespace platform::files {

// The file's whole content, or the errno of the failure (ENOENT when there
// is no such file).
std::expected<std::string, int> readWholeFile(const std::filesystem::path& file);

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
  // Why the lock is not held, for messages.
  std::string failure() const;

  // Replaces the guarded file's content as a whole: writes a private (0600)
  // temporary file "<file>.tmp-XXXXXX" beside it, syncs it and renames it
  // over the file, so a reader sees the old content or the new, never a
  // part. First removes the temporary files that a writer killed before its
  // rename left behind (they may hold secrets). False when the lock is not
  // held or a step fails; the file is then as it was and no temporary file
  // is left behind.
  bool replaceAtomically(std::string_view contents) const;

 private:
  std::filesystem::path file_;
  int descriptor_ = -1;
  int error_ = 0;
};

}  // namespace platform::files
