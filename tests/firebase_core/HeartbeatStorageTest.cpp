#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <future>
#include <set>
#include <cstdlib>
#include <thread>

#include "CoreTestEnvironment.hpp"
#include "HeartbeatTestSupport.hpp"
#include "firebase_core/HeartbeatStorage.hpp"
#include "foundation/Bundle.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace firebase {
namespace {

using testing::CoreTest;
using testing::heartbeatOn;
using testing::MemoryStorage;

std::optional<HeartbeatsBundle> appendDay(std::optional<HeartbeatsBundle> stored, int n) {
  HeartbeatsBundle bundle = stored ? std::move(*stored) : HeartbeatsBundle(30);
  bundle.append(heartbeatOn(n));
  return bundle;
}

// The names of the files beside the store's file, its own included.
std::set<std::string> namesInFolderOf(const std::filesystem::path& file) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    names.insert(entry.path().filename().string());
  return names;
}

class HeartbeatStorageTest : public CoreTest {};

TEST_F(HeartbeatStorageTest, EveryIdBecomesOneFileInsideTheStorageFolder) {
  const auto folder = root_ / "data" / "tesvarin.quorbel" / "google-heartbeat-storage";
  struct Case {
    std::string id;
    std::string fileName;
  };
  const Case cases[] = {
      {"1:123:ios:abc", "heartbeats-1_123_ios_abc"},   {"no-colons.here", "heartbeats-no-colons.here"},
      {"../../escape", "heartbeats-..%2F..%2Fescape"}, {"..", "heartbeats-.."},
      {"a/b\\c d%", "heartbeats-a%2Fb%5Cc%20d%25"},    {"", "heartbeats-"},
      {"2:a:b", "heartbeats-2_a_b"},                    {"2:a_b", "heartbeats-2_a%5Fb"},
  };
  for (const auto& c : cases) {
    const auto url = FileStorage::urlForHeartbeatId(c.id);
    EXPECT_EQ(url.parent_path(), folder) << c.id;
    EXPECT_EQ(url.filename(), c.fileName) << c.id;
  }
}

TEST_F(HeartbeatStorageTest, IdsThatDifferOnlyByColonOrUnderscoreKeepTheirOwnHeartbeats) {
  auto colons = HeartbeatStorage::instance("2:a:b");
  auto underscore = HeartbeatStorage::instance("2:a_b");
  colons->updateSync([](auto stored) { return appendDay(std::move(stored), 1); });
  underscore->updateSync([](auto stored) { return appendDay(std::move(stored), 2); });
  underscore->updateSync([](auto stored) { return appendDay(std::move(stored), 3); });
  std::optional<HeartbeatsBundle> seen;
  colons->updateSync([&](auto stored) {
    seen = stored;
    return stored;
  });
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->buffer().elements().size(), 1u);
  underscore->updateSync([&](auto stored) {
    seen = stored;
    return stored;
  });
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->buffer().elements().size(), 2u);
}

TEST_F(HeartbeatStorageTest, OneLiveStorePerId) {
  auto first = HeartbeatStorage::instance("1:1:ios:a");
  EXPECT_EQ(HeartbeatStorage::instance("1:1:ios:a"), first);
  EXPECT_NE(HeartbeatStorage::instance("1:1:ios:b"), first);
  std::weak_ptr<HeartbeatStorage> released = first;
  first.reset();
  EXPECT_TRUE(released.expired());
  EXPECT_NE(HeartbeatStorage::instance("1:1:ios:a"), nullptr);
}

TEST_F(HeartbeatStorageTest, ADyingStoreNeverRemovesANewerStoresEntry) {
  const std::string id = "1:2:ios:race";
  for (int round = 0; round < 2000; ++round) {
    auto dying = HeartbeatStorage::instance(id);
    std::thread releaser([store = std::move(dying)]() mutable { store.reset(); });
    auto newer = HeartbeatStorage::instance(id);
    releaser.join();
    // Whatever the interleaving, the live store is the one every caller gets.
    ASSERT_EQ(HeartbeatStorage::instance(id), newer) << "round " << round;
  }
}

TEST_F(HeartbeatStorageTest, FileStorageWritesAtomicallyAndRecreatesItsFolder) {
  auto store = HeartbeatStorage::instance("1:3:ios:file");
  const auto file = FileStorage::urlForHeartbeatId("1:3:ios:file");
  store->updateSync([](auto stored) { return appendDay(std::move(stored), 0); });
  ASSERT_TRUE(std::filesystem::exists(file));
  std::filesystem::remove_all(file.parent_path());
  store->updateSync([](auto stored) { return appendDay(std::move(stored), 1); });
  ASSERT_TRUE(std::filesystem::exists(file));
  store->updateSync([](auto) { return std::optional<HeartbeatsBundle>(); });
  EXPECT_EQ(std::filesystem::file_size(file), 0u);
  EXPECT_EQ(namesInFolderOf(file), (std::set<std::string>{file.filename().string(), file.filename().string() + ".lock"}));
}

TEST_F(HeartbeatStorageTest, TheStoreIsTheUsersAloneWhateverTheUmaskAndRefusedWhenOthersMayWriteIt) {
  const std::string id = "1:12:ios:private";
  const auto file = FileStorage::urlForHeartbeatId(id);
  std::filesystem::remove_all(file.parent_path().parent_path());
  const mode_t previous = ::umask(0);
  HeartbeatStorage::instance(id)->updateSync([](auto stored) { return appendDay(std::move(stored), 0); });
  ::umask(previous);
  struct stat status {};
  for (const auto& folder : {file.parent_path().parent_path(), file.parent_path()})
    EXPECT_TRUE(::stat(folder.c_str(), &status) == 0 && (status.st_mode & 0777) == 0700) << folder;
  EXPECT_TRUE(::stat(file.c_str(), &status) == 0 && (status.st_mode & 0777) == 0600);

  std::filesystem::permissions(file, std::filesystem::perms::others_write, std::filesystem::perm_options::add);
  const std::string before = test_support::readFile(file);
  bool sawNothing = false;
  HeartbeatStorage::instance(id)->updateSync([&](std::optional<HeartbeatsBundle> stored) {
    sawNothing = !stored.has_value();
    return appendDay(std::move(stored), 1);
  });
  EXPECT_TRUE(sawNothing);
  EXPECT_EQ(test_support::readFile(file), before);
}

// The data root ($XDG_DATA_HOME) keeps the mode its user gave it; one that
// others may write in without the sticky bit gets no store made in it.
TEST_F(HeartbeatStorageTest, TheDataRootKeepsItsModeAndOneOpenToAllGetsNoStore) {
  const std::string id = "1:12:ios:root";
  const auto file = FileStorage::urlForHeartbeatId(id);
  const auto dataRoot = platform::paths::applicationSupport();
  for (const mode_t mode : {mode_t{01777}, mode_t{0777}}) {
    std::filesystem::remove_all(dataRoot);
    std::filesystem::create_directories(dataRoot);
    ASSERT_EQ(::chmod(dataRoot.c_str(), mode), 0);
    HeartbeatStorage::instance(id)->updateSync([](auto stored) { return appendDay(std::move(stored), 0); });
    struct stat status {};
    ASSERT_EQ(::stat(dataRoot.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, mode) << std::oct << mode;
    EXPECT_EQ(std::filesystem::exists(file), mode == 01777) << std::oct << mode;
    EXPECT_EQ(std::filesystem::is_empty(dataRoot), mode == 0777) << std::oct << mode;
  }
}

TEST_F(HeartbeatStorageTest, UnreadableContentLoadsAsNothingAndIsReplaced) {
  const auto file = FileStorage::urlForHeartbeatId("1:4:ios:bad");
  std::filesystem::create_directories(file.parent_path());
  for (const std::string& content :
       std::vector<std::string>{"", "{not json", std::string("\0\xff\xfe", 3), "[1,2,3]"}) {
    std::ofstream(file, std::ios::binary) << content;
    auto store = HeartbeatStorage::instance("1:4:ios:bad");
    bool sawNothing = false;
    store->updateSync([&](std::optional<HeartbeatsBundle> stored) {
      sawNothing = !stored.has_value();
      return appendDay(std::move(stored), 0);
    });
    EXPECT_TRUE(sawNothing);
    std::ifstream written(file);
    std::string text((std::istreambuf_iterator<char>(written)), {});
    EXPECT_TRUE(HeartbeatsBundle::decode(text).has_value());
  }
}

TEST_F(HeartbeatStorageTest, ASpecialOrHugeFileInPlaceOfTheStoreReadsAsNothingAtOnceAndIsLeftAlone) {
  struct Case {
    std::string name;
    std::function<void(const std::filesystem::path&)> make;
  };
  const Case cases[] = {
      {"a FIFO", [](const auto& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }},
      {"a link to /dev/zero", [](const auto& file) { std::filesystem::create_symlink("/dev/zero", file); }},
      {"a sparse file past the limit",
       [](const auto& file) {
         std::ofstream(file) << "{";
         std::filesystem::resize_file(file, FileStorage::kMaxFileBytes + 1);
       }},
  };
  const std::string id = "1:11:ios:special";
  const auto file = FileStorage::urlForHeartbeatId(id);
  std::filesystem::create_directories(file.parent_path());
  for (const auto& c : cases) {
    std::filesystem::remove(file);
    c.make(file);
    const auto before = test_support::shapeOf(file);
    auto store = HeartbeatStorage::instance(id);
    bool sawNothing = false;
    store->updateSync([&](std::optional<HeartbeatsBundle> stored) {
      sawNothing = !stored.has_value();
      return appendDay(std::move(stored), 0);
    });
    EXPECT_TRUE(sawNothing) << c.name;
    // Only a regular file is ever replaced; the sparse one is.
    if (c.name != "a sparse file past the limit") {
      EXPECT_EQ(test_support::shapeOf(file), before) << c.name;
    }
  }
}

TEST_F(HeartbeatStorageTest, SwapReportsAFailedSaveAfterASuccessfulLoad) {
  auto storage = std::make_unique<MemoryStorage>();
  auto* memory = storage.get();
  auto store = std::make_shared<HeartbeatStorage>("1:5:ios:swap", std::move(storage));
  store->updateSync([](auto stored) { return appendDay(std::move(stored), 0); });
  memory->failWrites = true;
  auto swapped = store->swap([](auto) { return std::optional<HeartbeatsBundle>(HeartbeatsBundle(30)); });
  ASSERT_FALSE(swapped.has_value());
  EXPECT_EQ(swapped.error(), StorageError::writeError);

  memory->failWrites = false;
  auto before = store->swap([](auto) { return std::optional<HeartbeatsBundle>(); });
  ASSERT_TRUE(before.has_value() && before->has_value());
  EXPECT_EQ((*before)->buffer().elements().size(), 1u);
}

TEST_F(HeartbeatStorageTest, QueuedUpdatesApplyInOrder) {
  auto storage = std::make_unique<MemoryStorage>();
  auto* memory = storage.get();
  auto store = std::make_shared<HeartbeatStorage>("1:6:ios:order", std::move(storage));
  for (int n = 0; n < 20; ++n) store->updateAsync([n](auto stored) { return appendDay(std::move(stored), n); });
  store->updateSync([](auto stored) { return stored; });
  auto bundle = HeartbeatsBundle::decode(*memory->content);
  ASSERT_TRUE(bundle.has_value());
  const auto elements = bundle->buffer().elements();
  ASSERT_EQ(elements.size(), 20u);
  for (int n = 0; n < 20; ++n) EXPECT_EQ(elements[n].date, testing::day(n));
}

TEST_F(HeartbeatStorageTest, SyncFromTheStoresOwnQueueFailsLoudly) {
  auto store = std::make_shared<HeartbeatStorage>("1:7:ios:sync", std::make_unique<MemoryStorage>());
  std::promise<bool> raised;
  store->swapAsync([](auto stored) { return stored; },
                   [&, store](HeartbeatStorageProtocol::SwapResult) {
                     try {
                       store->updateSync([](auto stored) { return stored; });
                       raised.set_value(false);
                     } catch (const platform::DispatchDeadlock&) {
                       raised.set_value(true);
                     }
                   });
  EXPECT_TRUE(raised.get_future().get());
}

using HeartbeatStorageDeathTest = HeartbeatStorageTest;

TEST_F(HeartbeatStorageDeathTest, AHeartbeatLoggedAsTheProgramEndsIsWrittenWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no other threads
  const std::string id = "1:10:ios:exit";
  // The fresh process runs this test again with folders of its own; it
  // writes into ours (which it inherits, so it keeps this variable as is).
  ::setenv("HEARTBEAT_EXIT_TEST_DATA_HOME", (root_ / "data").c_str(), 0);
  EXPECT_EXIT(
      {
        std::filesystem::remove_all(root_);  // this process's own folders
        std::filesystem::remove_all(test_support::IsolatedEnvironment::root());
        ::setenv("XDG_DATA_HOME", std::getenv("HEARTBEAT_EXIT_TEST_DATA_HOME"), 1);
        auto store = HeartbeatStorage::instance(id);
        for (int n = 0; n < 5; ++n) store->updateAsync([n](auto stored) { return appendDay(std::move(stored), n); });
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  ::unsetenv("HEARTBEAT_EXIT_TEST_DATA_HOME");
  const auto file = FileStorage::urlForHeartbeatId(id);
  std::ifstream written(file);
  const auto bundle = HeartbeatsBundle::decode(std::string((std::istreambuf_iterator<char>(written)), {}));
  ASSERT_TRUE(bundle.has_value());
  EXPECT_EQ(bundle->buffer().elements().size(), 5u);
  // No temporary file left: only the store's file and its lock.
  EXPECT_EQ(namesInFolderOf(file), (std::set<std::string>{file.filename().string(), file.filename().string() + ".lock"}));
}

TEST_F(HeartbeatStorageTest, AStoreDestroyedOnItsOwnQueueIsSafe) {
  std::atomic<bool> destroyed{false};
  std::mutex mutex;
  std::condition_variable released;
  bool mayRun = false;
  {
    auto store = std::make_shared<HeartbeatStorage>("1:8:ios:die", std::make_unique<MemoryStorage>(&destroyed));
    store->updateAsync([&](auto stored) {
      std::unique_lock lock(mutex);
      released.wait(lock, [&] { return mayRun; });
      return stored;
    });
  }
  // The queued work now holds the last reference.
  {
    std::lock_guard lock(mutex);
    mayRun = true;
  }
  released.notify_all();
  EXPECT_TRUE(test_support::waitUntil([&] { return destroyed.load(); }));
}

}  // namespace
}  // namespace firebase
