#include "firebase_core/HeartbeatStorage.hpp"

#include <fmt/format.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "foundation/AtomicFile.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/OSLog.hpp"
#include "foundation/PrivateFiles.hpp"

namespace firebase {

namespace {

// Ids map to file names one to one: ":" becomes "_" as it always has, so
// ordinary ids keep their file names; a literal "_" and every other byte
// that could leave the folder or confuse a file system ("/", "..", control
// characters, "%" itself) is percent-encoded. Otherwise "2:a:b" and "2:a_b"
// would share one file from two stores on two queues.
std::string fileNameComponent(const std::string& id) {
  std::string name;
  for (unsigned char c : id) {
    if (c == ':') {
      name += '_';
    } else if (std::isalnum(c) || c == '-' || c == '.') {
      name += static_cast<char>(c);
    } else {
      name += fmt::format("%{:02X}", c);
    }
  }
  return name;
}

struct StoreCacheEntry {
  std::weak_ptr<HeartbeatStorage> store;
  const HeartbeatStorage* identity = nullptr;
};

struct StoreCache {
  std::mutex mutex;
  std::map<std::string, StoreCacheEntry> stores;
};

StoreCache& storeCache() {
  static StoreCache* cache = new StoreCache();  // outlives stores destroyed at exit
  return *cache;
}

// The store's errors carry no reason, so a refused folder or file is named
// in the log.
bool isPrivate(const std::filesystem::path& file, platform::files::MissingFolders missing) {
  auto guarded = platform::files::guardPrivateFile(platform::paths::applicationSupport(), file, missing);
  if (!guarded)
    platform::OSLog("com.google.firebase", "HeartbeatStorage")
        .log(platform::LogType::error, "Not using the heartbeat file " + file.string() + ": " + guarded.error().reason);
  return guarded.has_value();
}

}  // namespace

std::filesystem::path FileStorage::urlForHeartbeatId(const std::string& id) {
  // Each program keeps its own store, as each has its own Application Support
  // folder inside its sandbox container on the platform this system came from.
  const std::string container = fileNameComponent(platform::Bundle::main().bundleIdentifier());
  return platform::paths::applicationSupport() / container / "google-heartbeat-storage" /
         ("heartbeats-" + fileNameComponent(id));
}

std::expected<std::string, StorageError> FileStorage::read() {
  if (!isPrivate(url_, platform::files::MissingFolders::leave)) return std::unexpected(StorageError::readError);
  auto content = platform::files::readWholeFile(url_, kMaxFileBytes);
  if (!content) return std::unexpected(StorageError::readError);
  return std::move(*content);
}

std::expected<void, StorageError> FileStorage::write(const std::optional<std::string>& data) {
  if (!isPrivate(url_, platform::files::MissingFolders::create)) return std::unexpected(StorageError::writeError);

  // A reader never sees half a document.
  const platform::files::FileLock lock(url_);
  if (!lock.replaceAtomically(data.value_or(std::string()))) {
    return std::unexpected(StorageError::writeError);
  }
  return {};
}

std::shared_ptr<HeartbeatStorage> HeartbeatStorage::instance(const std::string& id) {
  // Registered after the app registry was made, so it runs before the apps
  // are destroyed at exit.
  static const bool drainsAtExit = std::atexit(&HeartbeatStorage::runQueuedWorkOfEveryStore) == 0;
  (void)drainsAtExit;
  auto& cache = storeCache();
  std::lock_guard lock(cache.mutex);
  auto& entry = cache.stores[id];
  if (auto store = entry.store.lock()) return store;
  auto store =
      std::make_shared<HeartbeatStorage>(id, std::make_unique<FileStorage>(FileStorage::urlForHeartbeatId(id)));
  entry = StoreCacheEntry{store, store.get()};
  return store;
}

HeartbeatStorage::HeartbeatStorage(std::string id, std::unique_ptr<Storage> storage)
    : id_(std::move(id)), storage_(std::move(storage)), queue_("com.heartbeat.storage." + id_) {}

HeartbeatStorage::~HeartbeatStorage() {
  auto& cache = storeCache();
  std::lock_guard lock(cache.mutex);
  // A newer store may already have taken the id: its entry is not ours.
  auto entry = cache.stores.find(id_);
  if (entry != cache.stores.end() && entry->second.identity == this) cache.stores.erase(entry);
}

void HeartbeatStorage::runQueuedWorkOfEveryStore() {
  std::vector<std::shared_ptr<HeartbeatStorage>> live;
  {
    auto& cache = storeCache();
    std::lock_guard lock(cache.mutex);
    for (const auto& [id, entry] : cache.stores) {
      if (auto store = entry.store.lock()) live.push_back(std::move(store));
    }
  }
  for (const auto& store : live) {
    try {
      store->queue_.sync([] {});
    } catch (const platform::DispatchDeadlock&) {
      // The program ends from this store's own queue: its work is running.
    }
  }
}

std::optional<HeartbeatsBundle> HeartbeatStorage::load() {
  auto data = storage_->read();
  if (!data || data->empty()) return std::nullopt;
  return HeartbeatsBundle::decode(*data);
}

std::expected<void, StorageError> HeartbeatStorage::save(const std::optional<HeartbeatsBundle>& bundle) {
  if (!bundle) return storage_->write(std::nullopt);
  auto data = bundle->encode();
  if (!data) return std::unexpected(StorageError::writeError);
  return storage_->write(*data);
}

HeartbeatStorage::SwapResult HeartbeatStorage::loadTransformSave(const Transform& transform) {
  auto loaded = load();
  auto saved = save(transform(loaded));
  if (!saved) return std::unexpected(saved.error());
  return loaded;
}

void HeartbeatStorage::updateSync(const Transform& transform) {
  queue_.sync([&] { loadTransformSave(transform); });
}

// The asynchronous operations keep the store alive until their work has run,
// and let go of it before the work ends: should that be the last reference,
// the store and its queue are destroyed from the queue's own work item, which
// the queue allows, and never while the queue disposes of a finished item.
void HeartbeatStorage::updateAsync(Transform transform) {
  queue_.async([self = shared_from_this(), transform = std::move(transform)]() mutable {
    self->loadTransformSave(transform);
    transform = nullptr;
    self.reset();
  });
}

HeartbeatStorage::SwapResult HeartbeatStorage::swap(const Transform& transform) {
  SwapResult result;
  queue_.sync([&] { result = loadTransformSave(transform); });
  return result;
}

void HeartbeatStorage::swapAsync(Transform transform, std::function<void(SwapResult)> completion) {
  queue_.async(
      [self = shared_from_this(), transform = std::move(transform), completion = std::move(completion)]() mutable {
        completion(self->loadTransformSave(transform));
        transform = nullptr;
        completion = nullptr;
        self.reset();
      });
}

}  // namespace firebase
