#include "foundation/PrivateFiles.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace platform::files {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

std::atomic<long long> ownUserForTesting{-1};

uid_t ownUser() {
  const long long user = ownUserForTesting.load();
  return user < 0 ? ::geteuid() : static_cast<uid_t>(user);
}

FileFailure refusal(std::string reason) { return {0, std::move(reason)}; }

FileFailure folderFailure(const std::filesystem::path& folder, int error) {
  return {error, "Cannot make the folder " + folder.string() + ": " + std::strerror(error)};
}

// The folders from root down to `folder`; only `folder` when it does not lie
// below root.
std::vector<std::filesystem::path> foldersFrom(const std::filesystem::path& root, const std::filesystem::path& folder) {
  const auto below = folder.lexically_normal().lexically_relative(root.lexically_normal());
  if (below.empty() || *below.begin() == "..") return {folder};
  std::vector<std::filesystem::path> chain{root};
  for (const auto& part : below)
    if (part != ".") chain.push_back(chain.back() / part);
  return chain;
}

// A folder that is not there yet counts as checked: nothing in it can be
// read, and what is made in it is made private. One that cannot be looked at
// is left to the read or write that follows, which says why it fails.
std::expected<void, FileFailure> checkFolder(const std::filesystem::path& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) return {};
  if (!S_ISDIR(status.st_mode)) return std::unexpected(refusal(folder.string() + " is not a folder"));
  if (status.st_uid != ownUser())
    return std::unexpected(refusal("The folder " + folder.string() + " belongs to another user"));
  if ((status.st_mode & kWritableByOthers) != 0 && ::chmod(folder.c_str(), kPrivateFolderMode) != 0)
    return std::unexpected(refusal("The folder " + folder.string() + " is writable by others"));
  return {};
}

// Special files, folders and links that lead nowhere are left to the read
// or write, which refuses them with its own reason.
std::expected<void, FileFailure> checkFile(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  if (status.st_uid != ownUser()) return std::unexpected(refusal("The file " + file.string() + " belongs to another user"));
  if ((status.st_mode & kWritableByOthers) != 0)
    return std::unexpected(refusal("The file " + file.string() + " is writable by others"));
  return {};
}

}  // namespace

std::expected<void, FileFailure> makePrivateFolders(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> missing;
  std::error_code error;
  for (auto up = folder; !up.empty() && !std::filesystem::exists(up, error); up = up.parent_path()) {
    missing.push_back(up);
    if (up == up.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (::mkdir(it->c_str(), kPrivateFolderMode) != 0) {
      if (errno == EEXIST && std::filesystem::is_directory(*it, error)) continue;  // made meanwhile by another
      return std::unexpected(folderFailure(*it, errno));
    }
    // mkdir's mode passes through the umask, which may take more than group
    // and other bits.
    if (::chmod(it->c_str(), kPrivateFolderMode) != 0) return std::unexpected(folderFailure(*it, errno));
  }
  return {};
}

std::expected<void, FileFailure> guardPrivateFile(const std::filesystem::path& root, const std::filesystem::path& file,
                                                  MissingFolders missing) {
  if (missing == MissingFolders::create)
    if (auto made = makePrivateFolders(file.parent_path()); !made) return made;
  for (const auto& folder : foldersFrom(root, file.parent_path()))
    if (auto checked = checkFolder(folder); !checked) return checked;
  return checkFile(file);
}

void setOwnUserForTesting(std::optional<uid_t> user) { ownUserForTesting = user ? static_cast<long long>(*user) : -1; }

}  // namespace platform::files
