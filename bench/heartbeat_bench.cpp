// What one heartbeat costs: logging it (the store reads, updates and rewrites
// its file on its queue) and building the header value from a full store.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "firebase_core/HeartbeatController.hpp"
#include "firebase_core/HeartbeatStorage.hpp"
#include "firebase_core/HeartbeatsBundle.hpp"

namespace {

using namespace firebase;

// Keeps the store files in a folder of their own.
class BenchFolder {
 public:
  BenchFolder() : path_(std::filesystem::temp_directory_path() / ("heartbeat-bench-" + std::to_string(::getpid()))) {
    ::setenv("XDG_DATA_HOME", path_.c_str(), 1);
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }

 private:
  std::filesystem::path path_;
};

Date dayNumber(long n) { return Date(std::chrono::sys_days(std::chrono::year{2024} / 1 / 1) + std::chrono::days(n)); }

const std::string kAgent =
    "apple-platform/linux appstore/false deploy/cmake device/x86_64 fire-ios/11.12.0 fire-vertex/11.12.0 "
    "os-version/6.1";

// Each iteration is a new day, so every log appends a heartbeat and rewrites
// the file; the time includes waiting for the store's queue, which rewrites
// the file once more (each rewrite is synced to disk).
void BM_LogHeartbeatOnANewDay(benchmark::State& state) {
  BenchFolder folder;
  auto store = HeartbeatStorage::instance("1:123456789012:ios:0a1b2c3d4e5f60718293a4");
  long day = 0;
  HeartbeatController controller(store, [&] { return dayNumber(day); });
  for (auto _ : state) {
    ++day;
    controller.log(kAgent);
    store->updateSync([](auto stored) { return stored; });
  }
}
BENCHMARK(BM_LogHeartbeatOnANewDay)->Unit(benchmark::kMicrosecond);

// Later activations of the same day: nothing is due, the file is still rewritten.
void BM_LogHeartbeatAlreadyLoggedToday(benchmark::State& state) {
  BenchFolder folder;
  auto store = HeartbeatStorage::instance("1:123456789012:ios:0a1b2c3d4e5f60718293a4");
  HeartbeatController controller(store, [] { return dayNumber(0); });
  controller.log(kAgent);
  for (auto _ : state) {
    controller.log(kAgent);
    store->updateSync([](auto stored) { return stored; });
  }
}
BENCHMARK(BM_LogHeartbeatAlreadyLoggedToday)->Unit(benchmark::kMicrosecond);

// A store kept in memory: what a log costs without the disk (reading,
// decoding, appending, encoding), on a full store of 30 heartbeats.
class MemoryStorage : public Storage {
 public:
  std::expected<std::string, StorageError> read() override { return content_; }
  std::expected<void, StorageError> write(const std::optional<std::string>& data) override {
    content_ = data.value_or(std::string());
    return {};
  }

 private:
  std::string content_;
};

void BM_LogHeartbeatInMemoryOnANewDay(benchmark::State& state) {
  auto store = std::make_shared<HeartbeatStorage>("bench", std::make_unique<MemoryStorage>());
  long day = 0;
  HeartbeatController controller(store, [&] { return dayNumber(day); });
  for (; day < 30; ++day) controller.log(kAgent);
  for (auto _ : state) {
    ++day;
    controller.log(kAgent);
    store->updateSync([](auto stored) { return stored; });
  }
}
BENCHMARK(BM_LogHeartbeatInMemoryOnANewDay)->Unit(benchmark::kMicrosecond);

// The header value of a full store: 30 days, two agents (JSON, gzip, base64).
void BM_HeaderValueOfAFullStore(benchmark::State& state) {
  HeartbeatsBundle bundle(HeartbeatController::kHeartbeatsStoreCapacity);
  for (long n = 0; n < 30; ++n)
    bundle.append(Heartbeat{n % 2 == 0 ? kAgent : kAgent + " fire-x/1", dayNumber(n), 0, {TimePeriod::daily}});
  const HeartbeatsPayload payload = bundle.makePayload();
  for (auto _ : state) benchmark::DoNotOptimize(payload.headerValue());
}
BENCHMARK(BM_HeaderValueOfAFullStore)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
