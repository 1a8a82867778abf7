#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// A stand-in for the platform keychain's generic-password items: byte values
// filed under a service, an account and an optional access group, with the
// keychain's status codes.
//
// Linux has no keychain this system can rely on. FileKeychainItemStore keeps
// the items in one file readable only by the user (0600). The file is NOT
// encrypted: anyone who can read the user's files can read the items.
namespace platform::security {

using OSStatus = std::int32_t;
using Data = std::vector<std::uint8_t>;

inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecIO = -36;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;

struct KeychainItemQuery {
  std::string service;
  std::string account;
  std::optional<std::string> accessGroup;

  auto key() const { return std::tie(service, account, accessGroup); }
  bool operator<(const KeychainItemQuery& other) const { return key() < other.key(); }
  bool operator==(const KeychainItemQuery& other) const { return key() == other.key(); }
};

class KeychainItemStore {
 public:
  virtual ~KeychainItemStore() = default;
  // errSecItemNotFound when there is no such item.
  virtual OSStatus copyMatching(const KeychainItemQuery& query, Data& data) = 0;
  // errSecDuplicateItem when the item exists.
  virtual OSStatus add(const KeychainItemQuery& query, const Data& data) = 0;
  // errSecItemNotFound when there is no such item.
  virtual OSStatus update(const KeychainItemQuery& query, const Data& data) = 0;
  // errSecItemNotFound when there is no such item.
  virtual OSStatus remove(const KeychainItemQuery& query) = 0;

  // The user's store: $XDG_DATA_HOME/quorbel/keychain-items.json.
  static KeychainItemStore& defaultStore();
};

// Items in memory, for tests; a failure status can be forced on every call.
class InMemoryKeychainItemStore : public KeychainItemStore {
 public:
  OSStatus copyMatching(const KeychainItemQuery& query, Data& data) override;
  OSStatus add(const KeychainItemQuery& query, const Data& data) override;
  OSStatus update(const KeychainItemQuery& query, const Data& data) override;
  OSStatus remove(const KeychainItemQuery& query) override;

  // Every call answers this status (and changes nothing) while it is set.
  void setForcedStatus(std::optional<OSStatus> status);
  std::size_t itemCount();

 private:
  std::mutex mutex_;
  std::map<KeychainItemQuery, Data> items_;
  std::optional<OSStatus> forcedStatus_;
};

// Items in one JSON file (0600), re-read on every call and replaced
// atomically on every change, under an advisory lock shared by processes.
// Its folders, from `root` (the file's folder unless given) down, are the
// user's alone: a file or folder that another user owns or others may write
// is refused (errSecIO, the reason in the log).
class FileKeychainItemStore : public KeychainItemStore {
 public:
  explicit FileKeychainItemStore(std::filesystem::path file, std::optional<std::filesystem::path> root = std::nullopt);
  OSStatus copyMatching(const KeychainItemQuery& query, Data& data) override;
  OSStatus add(const KeychainItemQuery& query, const Data& data) override;
  OSStatus update(const KeychainItemQuery& query, const Data& data) override;
  OSStatus remove(const KeychainItemQuery& query) override;

  const std::filesystem::path& file() const { return file_; }

 private:
  // Runs the change on the file's items under the lock; writes them back when
  // the change answers errSecSuccess and `writes` is set.
  template <typename Change>
  OSStatus withItems(bool writes, Change change);

  std::filesystem::path file_;
  std::filesystem::path root_;
  std::mutex mutex_;
};

}  // namespace platform::security
