#include "foundation/AtomicFile.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform::files {
namespace {

constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kTemporarySuffixLength = 6;  // mkstemp's XXXXXX

// Leftovers of this file's earlier replacements: only a writer holding the
// lock makes them, so under the lock none of them is still being written.
void removeLeftoverTemporaries(const std::filesystem::path& file) {
  const std::string prefix = file.filename().string() + std::string(kTemporaryInfix);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == prefix.size() + kTemporarySuffixLength && name.starts_with(prefix))
      ::unlink(entry.path().c_str());
  }
}

bool writeAll(int descriptor, std::string_view contents) {
  for (std::size_t written = 0; written < contents.size();) {
    const ssize_t n = ::write(descriptor, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// The rename itself reaches the disk only once the folder is synced.
void syncFolder(const std::filesystem::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  (void)::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

std::expected<std::string, int> readWholeFile(const std::filesystem::path& file) {
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::unexpected(errno);
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(descriptor);
      return std::unexpected(error);
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(descriptor);
  return content;
}

FileLock::FileLock(const std::filesystem::path& file) : file_(file) {
  descriptor_ = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (descriptor_ < 0) {
    error_ = errno;
    return;
  }
  int status = 0;
  while ((status = ::flock(descriptor_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (status != 0) {
    error_ = errno;
    ::close(descriptor_);
    descriptor_ = -1;
  }
}

FileLock::~FileLock() {
  if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the lock
}

std::string FileLock::failure() const {
  if (held()) return {};
  return "cannot lock " + file_.string() + ".lock: " + std::strerror(error_);
}

bool FileLock::replaceAtomically(std::string_view contents) const {
  if (!held()) return false;
  removeLeftoverTemporaries(file_);
  std::string temporary = file_.string() + std::string(kTemporaryInfix) + std::string(kTemporarySuffixLength, 'X');
  const int descriptor = ::mkstemp(temporary.data());  // created 0600, never through a link
  if (descriptor < 0) return false;
  bool ok = writeAll(descriptor, contents) && ::fsync(descriptor) == 0;
  ok = ::close(descriptor) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), file_.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  syncFolder(file_.parent_path());
  return true;
}

}  // namespace platform::files
