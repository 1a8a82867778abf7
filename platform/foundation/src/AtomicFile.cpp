#include "foundation/AtomicFile.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace platform::files {

bool replaceAtomically(const std::filesystem::path& file, std::string_view contents) {
  std::string temporary = file.string() + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());  // created 0600
  if (descriptor < 0) return false;
  bool ok = true;
  for (std::size_t written = 0; ok && written < contents.size();) {
    const ssize_t n = ::write(descriptor, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(descriptor) == 0;
  ok = ::close(descriptor) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

FileLock::FileLock(const std::filesystem::path& file) {
  descriptor_ = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (descriptor_ < 0) return;
  int status = 0;
  while ((status = ::flock(descriptor_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (status != 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
}

FileLock::~FileLock() {
  if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the lock
}

}  // namespace platform::files
