#include "foundation/AtomicFile.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/OSLog.hpp"
#include "foundation/PrivateFiles.hpp"
#include "security/KeychainItemStore.hpp"
#include "security/KeychainItemsFile.hpp"

namespace platform::security {

namespace {

// The items are a few tokens and keys; a larger file is not ours.
constexpr std::size_t kMaxFileBytes = 1024 * 1024;

// An unreadable or damaged file holds no items we can use: report it as an
// I/O failure rather than silently start over and lose what it holds. A
// special file in its place, or a file beyond kMaxFileBytes, is such a file.
std::optional<KeychainItems> readItems(const std::filesystem::path& file) {
  auto content = platform::files::readWholeFile(file, kMaxFileBytes);
  if (!content) return content.error().isMissing() ? std::optional(KeychainItems{}) : std::nullopt;
  if (content->empty()) return KeychainItems{};
  return decodeKeychainItems(*content);
}

}  // namespace

KeychainItemStore& KeychainItemStore::defaultStore() {
  static FileKeychainItemStore store(platform::paths::applicationSupport() / "quorbel" / "keychain-items.json",
                                     platform::paths::applicationSupport());
  return store;
}

FileKeychainItemStore::FileKeychainItemStore(std::filesystem::path file, std::optional<std::filesystem::path> root)
    : file_(std::move(file)), root_(root.value_or(file_.parent_path())) {}

template <typename Change>
OSStatus FileKeychainItemStore::withItems(bool writes, Change change) {
  std::lock_guard lock(mutex_);
  if (auto guarded = platform::files::guardPrivateFile(root_, file_, platform::files::MissingFolders::create); !guarded) {
    // The status carries no reason: the log names what was refused.
    platform::OSLog("com.quorbel.security", "Keychain")
        .log(platform::LogType::error, "Not using the keychain file " + file_.string() + ": " + guarded.error().reason);
    return errSecIO;
  }
  platform::files::FileLock fileLock(file_);
  if (!fileLock.held()) return errSecIO;
  auto items = readItems(file_);
  if (!items) return errSecIO;
  const OSStatus status = change(*items);
  if (status != errSecSuccess || !writes) return status;
  auto content = encodeKeychainItems(*items);
  if (!content || !fileLock.replaceAtomically(*content)) return errSecIO;
  return status;
}

OSStatus FileKeychainItemStore::copyMatching(const KeychainItemQuery& query, Data& data) {
  return withItems(false, [&](KeychainItems& items) {
    auto it = items.find(query);
    if (it == items.end()) return errSecItemNotFound;
    data = it->second;
    return errSecSuccess;
  });
}

OSStatus FileKeychainItemStore::add(const KeychainItemQuery& query, const Data& data) {
  return withItems(
      true, [&](KeychainItems& items) { return items.emplace(query, data).second ? errSecSuccess : errSecDuplicateItem; });
}

OSStatus FileKeychainItemStore::update(const KeychainItemQuery& query, const Data& data) {
  return withItems(true, [&](KeychainItems& items) {
    auto it = items.find(query);
    if (it == items.end()) return errSecItemNotFound;
    it->second = data;
    return errSecSuccess;
  });
}

OSStatus FileKeychainItemStore::remove(const KeychainItemQuery& query) {
  return withItems(true, [&](KeychainItems& items) { return items.erase(query) == 1 ? errSecSuccess : errSecItemNotFound; });
}

}  // namespace platform::security
