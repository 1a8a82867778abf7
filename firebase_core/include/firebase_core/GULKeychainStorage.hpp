#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "foundation/Dispatch.hpp"
#include "foundation/Error.hpp"
#include "foundation/PropertyValue.hpp"
#include "security/KeychainItemStore.hpp"

namespace firebase {

// An asynchronous key-value store of property-list objects, kept as keychain
// items of one service (archived as binary property lists) behind a small
// in-memory cache. Keychain calls run in order on "com.gul.KeychainStorage.Keychain",
// cache work on "com.gul.KeychainStorage.InMemoryCache"; completions run on
// those queues. The cache never keeps an object whose keychain write failed,
// nor one read from the keychain while a write or removal overtook the read.
class GULKeychainStorage {
 public:
  using Object = platform::PropertyValue;
  using Completion = std::function<void(std::optional<Object> object, platform::ErrorPtr error)>;
  using RemoveCompletion = std::function<void(platform::ErrorPtr error)>;

  static constexpr std::size_t kDefaultCacheCountLimit = 5;

  // The user's keychain store.
  explicit GULKeychainStorage(std::string service);
  GULKeychainStorage(std::string service, platform::security::KeychainItemStore& store,
                     std::size_t cacheCountLimit = kDefaultCacheCountLimit);
  // Waits for the queued work. Not to be destroyed from its own completions.
  ~GULKeychainStorage();

  // Nothing stored completes with neither object nor error.
  void getObjectForKey(const std::string& key, const std::optional<std::string>& accessGroup, Completion completion);
  // Completes with the object, or with the error and no object.
  void setObject(const Object& object, const std::string& key, const std::optional<std::string>& accessGroup,
                 Completion completion);
  // Removing what is not there is no error.
  void removeObjectForKey(const std::string& key, const std::optional<std::string>& accessGroup,
                          RemoveCompletion completion);
  // Empties the cache at once, on the caller's thread.
  void resetInMemoryCache();

  const std::string& service() const { return service_; }

 private:
  // A count-limited cache; the least recently used object goes first. Every
  // change gets a number: a failed write undoes only its own entry, and what
  // a keychain read found is kept only when nothing changed since it began.
  class Cache {
   public:
    explicit Cache(std::size_t countLimit) : countLimit_(countLimit) {}
    std::optional<Object> object(const std::string& key);
    std::uint64_t set(const std::string& key, const Object& object);
    // The number of the latest change.
    std::uint64_t lastChange();
    void setIfUnchangedSince(const std::string& key, const Object& object, std::uint64_t change);
    void remove(const std::string& key);
    void removeIfWrite(const std::string& key, std::uint64_t write);
    void removeAll();

   private:
    std::uint64_t insert(const std::string& key, const Object& object);  // caller holds mutex_

    struct Entry {
      std::string key;
      Object object;
      std::uint64_t write;
    };
    std::mutex mutex_;
    std::size_t countLimit_;
    std::list<Entry> entries_;  // most recently used first
    std::uint64_t lastChange_ = 0;
  };

  platform::security::KeychainItemQuery query(const std::string& key,
                                              const std::optional<std::string>& accessGroup) const;
  void getObjectFromKeychain(const std::string& key, const std::optional<std::string>& accessGroup,
                             std::uint64_t cacheChange, Completion completion);

  std::string service_;
  platform::security::KeychainItemStore& store_;
  Cache inMemoryCache_;
  platform::DispatchQueue inMemoryCacheQueue_{"com.gul.KeychainStorage.InMemoryCache"};
  platform::DispatchQueue keychainQueue_{"com.gul.KeychainStorage.Keychain"};
};

}  // namespace firebase
