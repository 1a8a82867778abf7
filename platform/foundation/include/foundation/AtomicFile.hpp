#pragma once

#include <filesystem>
#include <string_view>

// Whole-file writes that readers and other processes can rely on.
namespace platform::files {

// Replaces the file's content as a whole: writes a private (0600) temporary
// file beside it, syncs it and renames it over the file, so a reader sees the
// old content or the new, never a part. False when a step fails; the file is
// then as it was and no temporary file is left behind.
bool replaceAtomically(const std::filesystem::path& file, std::string_view contents);

// An exclusive advisory lock on "<file>.lock", shared by every process, held
// for as long as the object lives. The lock lives on a file of its own
// because the file it guards is replaced on every write.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

}  // namespace platform::files
