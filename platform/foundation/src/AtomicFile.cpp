#include "foundation/AtomicFile.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fmt/format.h>

namespace platform::files {
namespace {

constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kTemporarySuffixLength = 6;  // mkstemp's XXXXXX, letters and digits
// As many links as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinksFollowed = 40;
constexpr mode_t kPrivateFileMode = 0600;

FileFailure systemFailure(int error) { return {error, std::strerror(error)}; }

FileFailure refusal(std::string reason) { return {0, std::move(reason)}; }

std::string sizeText(std::size_t bytes) {
  constexpr std::size_t kMiB = 1024 * 1024;
  if (bytes % kMiB == 0) return fmt::format("{} MiB", bytes / kMiB);
  if (bytes % 1024 == 0) return fmt::format("{} KiB", bytes / 1024);
  return fmt::format("{} bytes", bytes);
}

FileFailure tooLarge(std::size_t maxBytes) { return refusal("Larger than " + sizeText(maxBytes)); }

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

bool isTemporarySuffix(std::string_view suffix) {
  if (suffix.size() != kTemporarySuffixLength) return false;
  for (char c : suffix)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

std::string temporaryPrefix(const std::filesystem::path& file) {
  return "." + file.filename().string() + std::string(kTemporaryInfix);
}

// Leftovers of this file's earlier replacements: only a writer holding the
// lock makes them, so under the lock none of them is still being written.
void removeLeftoverTemporaries(const std::filesystem::path& file) {
  const std::string prefix = temporaryPrefix(file);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix) && isTemporarySuffix(std::string_view(name).substr(prefix.size())))
      ::unlink(entry.path().c_str());
  }
}

// The file a write of `file` replaces: `file` itself, or the end of its
// chain of symbolic links (which need not exist yet), so that the links stay
// and keep leading to the new content.
std::expected<std::filesystem::path, FileFailure> fileBehindLinks(const std::filesystem::path& file) {
  auto links = linkChain(file);
  if (!links) return std::unexpected(links.error());
  struct stat status {};
  if (::lstat(links->back().c_str(), &status) != 0) {
    if (errno == ENOENT) return links->back();
    return std::unexpected(systemFailure(errno));
  }
  if (S_ISDIR(status.st_mode)) return std::unexpected(systemFailure(EISDIR));
  if (!S_ISREG(status.st_mode)) return std::unexpected(refusal("Not a regular file"));
  return links->back();
}

bool writeAll(int descriptor, std::string_view contents) {
  for (std::size_t written = 0; written < contents.size();) {
    const ssize_t n = ::write(descriptor, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
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

bool FileFailure::isMissing() const { return error == ENOENT; }

std::expected<std::vector<std::filesystem::path>, FileFailure> linkChain(const std::filesystem::path& file) {
  std::vector<std::filesystem::path> chain{file};
  for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
    struct stat status {};
    if (::lstat(chain.back().c_str(), &status) != 0) {
      if (errno == ENOENT) return chain;
      return std::unexpected(systemFailure(errno));
    }
    if (!S_ISLNK(status.st_mode)) return chain;
    std::error_code error;
    auto target = std::filesystem::read_symlink(chain.back(), error);
    if (error) return std::unexpected(systemFailure(error.value()));
    if (target.is_relative()) target = chain.back().parent_path() / target;
    chain.push_back(std::move(target));
  }
  return std::unexpected(systemFailure(ELOOP));
}

std::expected<std::string, FileFailure> readWholeFile(const std::filesystem::path& file, std::size_t maxBytes) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  const Descriptor descriptor(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (descriptor.get() < 0) return std::unexpected(systemFailure(errno));
  struct stat status {};
  if (::fstat(descriptor.get(), &status) != 0) return std::unexpected(systemFailure(errno));
  if (S_ISDIR(status.st_mode)) return std::unexpected(systemFailure(EISDIR));
  if (!S_ISREG(status.st_mode)) return std::unexpected(refusal("Not a regular file"));
  if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) return std::unexpected(tooLarge(maxBytes));

  std::string content;
  content.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[65536];
  for (;;) {
    // One byte more than allowed tells a file that grew past the limit.
    const std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - content.size());
    const ssize_t n = ::read(descriptor.get(), buffer, wanted);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::unexpected(systemFailure(errno));
    if (n == 0) return content;
    content.append(buffer, static_cast<std::size_t>(n));
    if (content.size() > maxBytes) return std::unexpected(tooLarge(maxBytes));
  }
}

FileLock::FileLock(const std::filesystem::path& file) : file_(file) {
  descriptor_ = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kPrivateFileMode);
  if (descriptor_ < 0) {
    error_ = errno;
    return;
  }
  (void)::fchmod(descriptor_, kPrivateFileMode);  // a strict umask would leave it unopenable for writing
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

FileFailure FileLock::failure() const {
  if (held()) return {};
  return {error_, "cannot lock " + file_.string() + ".lock: " + std::strerror(error_)};
}

std::expected<void, FileFailure> FileLock::replaceAtomically(std::string_view contents, Durability durability) const {
  if (!held()) return std::unexpected(failure());
  const auto target = fileBehindLinks(file_);
  if (!target) return std::unexpected(target.error());
  removeLeftoverTemporaries(*target);
  std::string temporary =
      (target->parent_path() / temporaryPrefix(*target)).string() + std::string(kTemporarySuffixLength, 'X');
  const int descriptor = ::mkstemp(temporary.data());  // never through a link
  if (descriptor < 0) return std::unexpected(systemFailure(errno));
  // 0600 whatever the umask, which mkstemp's mode passes through.
  const bool written = ::fchmod(descriptor, kPrivateFileMode) == 0 && writeAll(descriptor, contents) &&
                       ::fsync(descriptor) == 0;
  int error = written ? 0 : errno;
  if (::close(descriptor) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target->c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return std::unexpected(systemFailure(error));
  }
  if (durability == Durability::survivesCrash) syncFolder(target->parent_path());
  return {};
}

}  // namespace platform::files
