#include "foundation/PrivateFiles.hpp"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/Bundle.hpp"

namespace platform::files {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kOpenToOthers = S_IRWXG | S_IRWXO;
constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;
// Account entries are small; a larger one is read with a larger buffer, up
// to this.
constexpr std::size_t kMaxAccountEntryBytes = 1024 * 1024;

std::atomic<long long> ownUserForTesting{-1};

uid_t ownUser() {
  const long long user = ownUserForTesting.load();
  return user < 0 ? ::geteuid() : static_cast<uid_t>(user);
}

FileFailure refusal(std::string reason) { return {0, std::move(reason)}; }

FileFailure folderFailure(const std::filesystem::path& folder, int error) {
  return {error, "Cannot make the folder " + folder.string() + ": " + std::strerror(error)};
}

// Makes one folder 0700: mkdir's mode passes through the umask, which may
// take more than group and other bits. One made meanwhile by another process
// counts as made; the caller checks what it found.
std::expected<void, FileFailure> makeFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), kPrivateFolderMode) != 0) {
    if (errno == EEXIST) return {};
    return std::unexpected(folderFailure(folder, errno));
  }
  if (::chmod(folder.c_str(), kPrivateFolderMode) != 0) return std::unexpected(folderFailure(folder, errno));
  return {};
}

// Reads an account entry with `read(buffer, size)`, one of the reentrant
// lookups, into `buffer`, made larger while the entry does not fit. The
// entry's texts point into the buffer.
template <typename Read>
int readAccountEntry(std::vector<char>& buffer, Read read) {
  if (buffer.empty()) buffer.resize(16 * 1024);
  for (;; buffer.resize(buffer.size() * 2)) {
    const int result = read(buffer.data(), buffer.size());
    if (result != ERANGE || buffer.size() >= kMaxAccountEntryBytes) return result;
  }
}

bool namesOwnUser(const char* name) {
  std::vector<char> buffer;
  struct passwd account {};
  struct passwd* found = nullptr;
  const int result = readAccountEntry(
      buffer, [&](char* data, std::size_t size) { return ::getpwnam_r(name, &account, data, size, &found); });
  return result == 0 && found && found->pw_uid == ownUser();
}

// Whether anyone but the user is in the group: named among its members, or
// having it as their primary group. Where the accounts cannot be read to
// the end, someone may be.
bool groupHasOtherMembers(gid_t group) {
  std::vector<char> buffer;
  struct group entry {};
  struct group* found = nullptr;
  if (readAccountEntry(buffer, [&](char* data, std::size_t size) {
        return ::getgrgid_r(group, &entry, data, size, &found);
      }) != 0)
    return true;
  if (found)
    for (char** member = found->gr_mem; *member; ++member)
      if (!namesOwnUser(*member)) return true;

  // The enumeration of the accounts has one position per process.
  static std::mutex enumeration;
  std::lock_guard lock(enumeration);
  ::setpwent();
  bool other = false;
  for (;;) {
    struct passwd account {};
    struct passwd* user = nullptr;
    const int result = readAccountEntry(
        buffer, [&](char* data, std::size_t size) { return ::getpwent_r(&account, data, size, &user); });
    if (result != 0 || !user) {
      other = result != ENOENT;
      break;
    }
    if (user->pw_gid == group && user->pw_uid != ownUser()) {
      other = true;
      break;
    }
  }
  ::endpwent();
  return other;
}

std::string groupName(gid_t group) {
  std::vector<char> buffer;
  struct group entry {};
  struct group* found = nullptr;
  const int result = readAccountEntry(
      buffer, [&](char* data, std::size_t size) { return ::getgrgid_r(group, &entry, data, size, &found); });
  return result == 0 && found ? found->gr_name : std::to_string(group);
}

// Who, besides its owner, could rename or remove what is in the folder:
// those who may write in it, unless the sticky bit keeps each to their own
// entries. A group's write counts only when anyone but the user is in it
// (a private group, as most systems give each user, is the user alone).
std::optional<std::string> othersWhoMayReplace(const struct stat& folder) {
  if ((folder.st_mode & S_ISVTX) != 0) return std::nullopt;
  if ((folder.st_mode & S_IWOTH) != 0) return "others";
  if ((folder.st_mode & S_IWGRP) != 0 && groupHasOtherMembers(folder.st_gid))
    return "its group " + groupName(folder.st_gid) + ", which has other members";
  return std::nullopt;
}

// Who may own a folder of the user's: the user alone, or, for the folder a
// missing root is made in (as /tmp or a home's parent), root as well.
enum class Owners { user, userOrRoot };

// A folder of the user's: a root (an XDG home, given by the user or made
// for them), the folder a missing root is made in, or one that a link leads
// to or into. Its mode is the user's to set and is never changed; one
// through which another user could replace what is kept in it is refused.
// `subject` names it in the refusal, `remedy` says what to do instead. One
// that cannot be looked at is left to the read or write that follows, which
// says why it fails.
std::expected<void, FileFailure> checkUsersFolder(const std::filesystem::path& folder, const std::string& subject,
                                                  const std::string& remedy, Owners owners = Owners::user) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) return {};
  if (!S_ISDIR(status.st_mode)) return std::unexpected(refusal(folder.string() + " is not a folder"));
  if (status.st_uid != ownUser() && !(owners == Owners::userOrRoot && status.st_uid == 0))
    return std::unexpected(
        refusal(subject + " belongs to another user, who could replace what is kept in it; " + remedy));
  if (auto others = othersWhoMayReplace(status))
    return std::unexpected(refusal(subject + " is writable by " + *others +
                                   ", who could replace what is kept in it; take that right away (chmod go-w " +
                                   folder.string() + ") or " + remedy));
  return {};
}

// How `link` is named in a refusal about where it leads.
std::string leadNote(const std::filesystem::path& link) { return ", to which the link " + link.string() + " leads,"; }

// What a chain of links ends in.
enum class ChainEnd { file, folder };

// The links of a chain (`linkChain`), each of which must be the user's: the
// owner of a link can make it lead elsewhere at any time. Each link after the
// first lies in a folder that must be the user's too, and so must the folder
// holding the file a chain ends in (a folder it ends in is the caller's to
// check). The refusal names the link or folder at fault, and the link that
// leads to it.
std::expected<void, FileFailure> checkLinks(const std::vector<std::filesystem::path>& chain, ChainEnd end,
                                            const std::string& remedy) {
  for (std::size_t hop = 1; hop < chain.size(); ++hop) {
    const auto& link = chain[hop - 1];
    struct stat status {};
    if (::lstat(link.c_str(), &status) == 0 && status.st_uid != ownUser())
      return std::unexpected(refusal("The link " + link.string() +
                                     " belongs to another user, who could make it lead elsewhere; remove it or make "
                                     "it yours (chown -h)"));
    if (hop + 1 == chain.size() && end == ChainEnd::folder) break;
    const auto folder = chain[hop].parent_path();
    if (auto checked = checkUsersFolder(folder, "The folder " + folder.string() + leadNote(link), remedy); !checked)
      return checked;
  }
  return {};
}

// One of the folders the programs make below a root: a folder of the user's
// own that is open to others (as older versions made them under a lax
// umask) is made 0700 again. A link of the user's in its place is the
// user's, and so is the folder it leads to.
std::expected<void, FileFailure> checkProgramsFolder(const std::filesystem::path& folder) {
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0) return {};
  if (S_ISLNK(status.st_mode)) {
    const auto links = linkChain(folder);
    if (!links) return {};
    const std::string remedy = "make it a folder of your own";
    if (auto checked = checkLinks(*links, ChainEnd::folder, remedy); !checked) return checked;
    const auto& target = links->back();
    return checkUsersFolder(target, "The folder " + target.string() + leadNote((*links)[links->size() - 2]), remedy);
  }
  if (!S_ISDIR(status.st_mode)) return std::unexpected(refusal(folder.string() + " is not a folder"));
  if (status.st_uid != ownUser())
    return std::unexpected(refusal("The folder " + folder.string() +
                                   " belongs to another user, who could replace what is kept in it; remove it or "
                                   "make it yours (chown)"));
  if ((status.st_mode & kOpenToOthers) != 0 && ::chmod(folder.c_str(), kPrivateFolderMode) != 0)
    return std::unexpected(refusal("The folder " + folder.string() + " is open to others and cannot be made private: " +
                                   std::strerror(errno)));
  return {};
}

// What to do instead of keeping files in a refused root.
std::string remedyFor(const std::filesystem::path& root) {
  const auto normal = root.lexically_normal();
  if (normal == paths::configHome().lexically_normal()) return "set XDG_CONFIG_HOME to a folder of your own";
  if (normal == paths::applicationSupport().lexically_normal()) return "set XDG_DATA_HOME to a folder of your own";
  return "use a folder of your own";
}

// The file, and what its links lead to. Special files and links that loop
// are left to the read or write, which refuses them with its own reason; a
// link that leads nowhere is refused here, since a write would make its
// target, wherever that is, and so is a link to a folder, naming both.
std::expected<void, FileFailure> checkFile(const std::filesystem::path& file) {
  const auto links = linkChain(file);
  if (!links) return {};
  const auto& target = links->back();
  const bool linked = links->size() > 1;
  const auto& lastLink = linked ? (*links)[links->size() - 2] : file;
  struct stat status {};
  if (::stat(target.c_str(), &status) != 0) {
    if (errno == ENOENT && linked)
      return std::unexpected(refusal("The link " + lastLink.string() + " leads to " + target.string() +
                                     ", which does not exist; make the file there or remove the link"));
    return {};
  }
  if (linked && S_ISDIR(status.st_mode))
    return std::unexpected(refusal("The link " + lastLink.string() + " leads to " + target.string() +
                                   ", which is a folder; make it lead to a settings file or remove it"));
  if (!S_ISREG(status.st_mode)) return {};
  if (auto checked = checkLinks(*links, ChainEnd::file, "keep the file in a folder of your own"); !checked) return checked;
  const std::string subject = "The file " + target.string() + (linked ? leadNote(lastLink) : "");
  if (status.st_uid != ownUser())
    return std::unexpected(
        refusal(subject + " belongs to another user, who could change it; remove it or make it yours (chown)"));
  if ((status.st_mode & kWritableByOthers) != 0)
    return std::unexpected(refusal(subject + " is writable by others, who could change it; take that right away "
                                   "(chmod go-w " + target.string() + ")"));
  return {};
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

// A root that is not there yet is made for the user, as theirs, with every
// folder above it that is missing, each 0700; for a read nothing is made,
// there being nothing to read. Either way the folder it would be made in is
// checked first, and only checked: the user's, or root's (as /tmp or a
// home's parent), and no one else's to replace what is kept in it.
std::expected<void, FileFailure> makeRoot(const std::filesystem::path& root, MissingFolders missing) {
  std::vector<std::filesystem::path> absent;
  std::error_code error;
  auto up = root;
  for (; !up.empty() && !std::filesystem::exists(up, error); up = up.parent_path()) {
    absent.push_back(up);
    if (up == up.parent_path()) break;
  }
  if (absent.empty()) return {};
  const auto parent = up.empty() ? std::filesystem::path(".") : up;
  if (auto checked = checkUsersFolder(parent,
                                      "The folder " + parent.string() + ", in which the folder " + root.string() +
                                          " would be made,",
                                      remedyFor(root), Owners::userOrRoot);
      !checked)
    return checked;
  if (missing == MissingFolders::leave) return {};
  for (auto it = absent.rbegin(); it != absent.rend(); ++it) {
    if (auto made = makeFolder(*it); !made) return made;
    if (!std::filesystem::is_directory(*it, error)) return std::unexpected(folderFailure(*it, EEXIST));
  }
  return {};
}

}  // namespace

std::expected<void, FileFailure> guardPrivateFile(const std::filesystem::path& root, const std::filesystem::path& file,
                                                  MissingFolders missing) {
  const auto chain = foldersFrom(root, file.parent_path());
  if (auto made = makeRoot(chain.front(), missing); !made) return made;
  if (auto checked = checkUsersFolder(chain.front(), "The folder " + chain.front().string(), remedyFor(chain.front()));
      !checked)
    return checked;
  // Each folder below is checked before anything is made in it.
  for (auto folder = chain.begin() + 1; folder != chain.end(); ++folder) {
    if (std::error_code error; !std::filesystem::exists(std::filesystem::symlink_status(*folder, error))) {
      if (missing == MissingFolders::leave) return {};  // nothing below it to read
      if (auto made = makeFolder(*folder); !made) return made;
    }
    if (auto checked = checkProgramsFolder(*folder); !checked) return checked;
  }
  return checkFile(file);
}

void setOwnUserForTesting(std::optional<uid_t> user) { ownUserForTesting = user ? static_cast<long long>(*user) : -1; }

}  // namespace platform::files
