#include "firebase_core/GULKeychainStorage.hpp"

#include <algorithm>

#include "firebase_core/GULKeychainUtils.hpp"
#include "foundation/PropertyList.hpp"

namespace firebase {

// Cache

std::optional<GULKeychainStorage::Object> GULKeychainStorage::Cache::object(const std::string& key) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
  if (it == entries_.end()) return std::nullopt;
  entries_.splice(entries_.begin(), entries_, it);
  return it->object;
}

std::uint64_t GULKeychainStorage::Cache::set(const std::string& key, const Object& object) {
  std::lock_guard lock(mutex_);
  return insert(key, object);
}

std::uint64_t GULKeychainStorage::Cache::insert(const std::string& key, const Object& object) {
  std::erase_if(entries_, [&](const Entry& e) { return e.key == key; });
  const std::uint64_t write = ++lastChange_;
  entries_.push_front(Entry{key, object, write});
  while (entries_.size() > countLimit_) entries_.pop_back();
  return write;
}

std::uint64_t GULKeychainStorage::Cache::lastChange() {
  std::lock_guard lock(mutex_);
  return lastChange_;
}

void GULKeychainStorage::Cache::setIfUnchangedSince(const std::string& key, const Object& object,
                                                    std::uint64_t change) {
  std::lock_guard lock(mutex_);
  if (lastChange_ == change) insert(key, object);
}

void GULKeychainStorage::Cache::remove(const std::string& key) {
  std::lock_guard lock(mutex_);
  ++lastChange_;
  std::erase_if(entries_, [&](const Entry& e) { return e.key == key; });
}

void GULKeychainStorage::Cache::removeIfWrite(const std::string& key, std::uint64_t write) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [&](const Entry& e) { return e.key == key && e.write == write; });
}

void GULKeychainStorage::Cache::removeAll() {
  std::lock_guard lock(mutex_);
  ++lastChange_;
  entries_.clear();
}

// Storage

GULKeychainStorage::GULKeychainStorage(std::string service)
    : GULKeychainStorage(std::move(service), platform::security::KeychainItemStore::defaultStore()) {}

GULKeychainStorage::GULKeychainStorage(std::string service, platform::security::KeychainItemStore& store,
                                       std::size_t cacheCountLimit)
    : service_(std::move(service)), store_(store), inMemoryCache_(cacheCountLimit) {}

GULKeychainStorage::~GULKeychainStorage() {
  // Work hops from the cache queue to the keychain queue and back at most
  // once each way: after these three rounds nothing is left queued.
  inMemoryCacheQueue_.sync([] {});
  keychainQueue_.sync([] {});
  inMemoryCacheQueue_.sync([] {});
}

platform::security::KeychainItemQuery GULKeychainStorage::query(const std::string& key,
                                                                const std::optional<std::string>& accessGroup) const {
  return {service_, key, accessGroup};
}

void GULKeychainStorage::getObjectForKey(const std::string& key, const std::optional<std::string>& accessGroup,
                                         Completion completion) {
  inMemoryCacheQueue_.async([this, key, accessGroup, completion = std::move(completion)]() mutable {
    if (auto cached = inMemoryCache_.object(key)) {
      completion(std::move(cached), nullptr);
      return;
    }
    getObjectFromKeychain(key, accessGroup, inMemoryCache_.lastChange(), std::move(completion));
  });
}

void GULKeychainStorage::getObjectFromKeychain(const std::string& key, const std::optional<std::string>& accessGroup,
                                               std::uint64_t cacheChange, Completion completion) {
  keychainQueue_.async([this, key, accessGroup, cacheChange, completion = std::move(completion)] {
    auto data = GULKeychainUtils::getItem(store_, query(key, accessGroup));
    if (!data) {
      completion(std::nullopt, data.error());
      return;
    }
    if (!*data) {
      completion(std::nullopt, nullptr);
      return;
    }
    const auto& bytes = **data;
    auto object = platform::plist::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!object) {
      completion(std::nullopt, object.error());
      return;
    }
    inMemoryCacheQueue_.async([this, key, cacheChange, object = std::move(*object), completion] {
      // A write or removal queued meanwhile is newer than what the keychain
      // held when it was read.
      inMemoryCache_.setIfUnchangedSince(key, object, cacheChange);
      completion(object, nullptr);
    });
  });
}

void GULKeychainStorage::setObject(const Object& object, const std::string& key,
                                   const std::optional<std::string>& accessGroup, Completion completion) {
  inMemoryCacheQueue_.async([this, object, key, accessGroup, completion = std::move(completion)] {
    const std::uint64_t write = inMemoryCache_.set(key, object);
    keychainQueue_.async([this, object, key, accessGroup, completion, write] {
      // An object that cannot be archived (a text that is not UTF-8) fails
      // like a keychain write that did not happen.
      auto archived = platform::plist::toBinary(object);
      auto saved = archived ? GULKeychainUtils::setItem(store_, GULKeychainUtils::Data(archived->begin(), archived->end()),
                                                        query(key, accessGroup))
                            : std::expected<void, platform::ErrorPtr>(std::unexpected(archived.error()));
      if (saved) {
        completion(object, nullptr);
        return;
      }
      // The keychain still holds the old value: forget ours so the next read
      // asks the keychain instead of answering what was never stored.
      inMemoryCacheQueue_.async([this, key, write, completion, error = saved.error()] {
        inMemoryCache_.removeIfWrite(key, write);
        completion(std::nullopt, error);
      });
    });
  });
}

void GULKeychainStorage::removeObjectForKey(const std::string& key, const std::optional<std::string>& accessGroup,
                                            RemoveCompletion completion) {
  inMemoryCacheQueue_.async([this, key, accessGroup, completion = std::move(completion)] {
    inMemoryCache_.remove(key);
    keychainQueue_.async([this, key, accessGroup, completion] {
      auto removed = GULKeychainUtils::removeItem(store_, query(key, accessGroup));
      completion(removed ? nullptr : removed.error());
    });
  });
}

void GULKeychainStorage::resetInMemoryCache() { inMemoryCache_.removeAll(); }

}  // namespace firebase
