#pragma once

#include <cstddef>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "firebase_core/HeartbeatsBundle.hpp"
#include "foundation/Dispatch.hpp"

namespace firebase {

enum class StorageError { readError, writeError };

// Raw bytes behind a heartbeat store.
class Storage {
 public:
  virtual ~Storage() = default;
  virtual std::expected<std::string, StorageError> read() = 0;
  // Absent content writes an empty file.
  virtual std::expected<void, StorageError> write(const std::optional<std::string>& data) = 0;
};

// A file, replaced atomically on every write; its folder is made on demand.
// A special file in its place (a FIFO, a device) and a file larger than
// kMaxFileBytes read as unreadable, at once.
class FileStorage : public Storage {
 public:
  // Thirty days of heartbeats take a few kilobytes.
  static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

  explicit FileStorage(std::filesystem::path url) : url_(std::move(url)) {}
  // <Application Support>/<bundle identifier>/google-heartbeat-storage/heartbeats-<id>,
  // where the id becomes one safe file name whatever characters it holds.
  static std::filesystem::path urlForHeartbeatId(const std::string& id);

  const std::filesystem::path& url() const { return url_; }
  std::expected<std::string, StorageError> read() override;
  std::expected<void, StorageError> write(const std::optional<std::string>& data) override;

 private:
  std::filesystem::path url_;
};

// The store's operations, as its controller sees them. A transform takes the
// stored bundle (absent when there is none or it cannot be read) and returns
// what to store (absent stores an empty file).
class HeartbeatStorageProtocol {
 public:
  using Transform = std::function<std::optional<HeartbeatsBundle>(std::optional<HeartbeatsBundle>)>;
  using SwapResult = std::expected<std::optional<HeartbeatsBundle>, StorageError>;

  virtual ~HeartbeatStorageProtocol() = default;
  // Both drop a failed save.
  virtual void updateSync(const Transform& transform) = 0;
  virtual void updateAsync(Transform transform) = 0;
  // Answer the bundle stored before, or the save's failure.
  virtual SwapResult swap(const Transform& transform) = 0;
  virtual void swapAsync(Transform transform, std::function<void(SwapResult)> completion) = 0;
};

// One bundle per heartbeat id, read and rewritten on the store's own serial
// queue ("com.heartbeat.storage.<id>"). The synchronous operations throw
// platform::DispatchDeadlock when called from that queue (from a swapAsync
// completion, say). Work queued on a shared store when the program ends runs
// before it ends.
class HeartbeatStorage : public HeartbeatStorageProtocol, public std::enable_shared_from_this<HeartbeatStorage> {
 public:
  // The process's one live store for the id, made on demand over its file.
  static std::shared_ptr<HeartbeatStorage> instance(const std::string& id);

  HeartbeatStorage(std::string id, std::unique_ptr<Storage> storage);
  ~HeartbeatStorage() override;

  const std::string& id() const { return id_; }

  void updateSync(const Transform& transform) override;
  void updateAsync(Transform transform) override;
  SwapResult swap(const Transform& transform) override;
  void swapAsync(Transform transform, std::function<void(SwapResult)> completion) override;

 private:
  // At exit: lets the work queued on every shared store finish, so that a
  // heartbeat logged just before the program ends is written whole.
  static void runQueuedWorkOfEveryStore();

  // Run on the queue.
  std::optional<HeartbeatsBundle> load();
  std::expected<void, StorageError> save(const std::optional<HeartbeatsBundle>& bundle);
  SwapResult loadTransformSave(const Transform& transform);

  std::string id_;
  std::unique_ptr<Storage> storage_;
  platform::DispatchQueue queue_;
};

}  // namespace firebase
