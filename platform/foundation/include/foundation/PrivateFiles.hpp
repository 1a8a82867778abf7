#pragma once

#include <sys/types.h>

#include <expected>
#include <filesystem>
#include <optional>

#include "foundation/AtomicFile.hpp"

// The folders and files that hold the user's settings, keys and records:
// made private whatever the umask, and refused when another user could have
// put them there or could swap them.
namespace platform::files {

enum class MissingFolders { create, leave };

// Checks, before a private file is read or written, every folder from
// `root` (a folder of the user's, one of the XDG homes) down to the file's
// folder, and the file itself when it is there, through symbolic links. The
// root is the user's: its mode is never changed, and it is refused when it
// belongs to another user, or when others may write in it without the
// sticky bit (a group counts as others only when anyone but the user is in
// it). A missing root is made, or for a read looked for, only in a folder
// that passes the same way, root's counting as well (as /tmp); that folder
// is never changed either.
// The folders below the root are the programs' own: one of the user's that
// is open to others (as older versions made them under a lax umask) is made
// 0700 again, one of another user is refused. Every link on the way (in
// place of a folder, or leading to the file) must be the user's, and so
// must the folders links lead into. A file of another user, or one that
// others may write, is refused, and so is a link that leads to no file or
// to a folder; the reason names what is at fault (a link's target, and the
// link that leads to it) and what to do. Missing folders are made (0700,
// each only once the folder it goes into has passed) or, for a read, left
// missing: there is then nothing to read. Nothing is made before the check
// has passed.
std::expected<void, FileFailure> guardPrivateFile(const std::filesystem::path& root, const std::filesystem::path& file,
                                                  MissingFolders missing);

// For tests, which cannot make files of another user: the user whose
// folders and files count as the user's own; nothing restores the effective
// user.
void setOwnUserForTesting(std::optional<uid_t> user);

}  // namespace platform::files
