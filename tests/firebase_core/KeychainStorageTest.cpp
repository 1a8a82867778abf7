#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "firebase_core/GULKeychainStorage.hpp"
#include "firebase_core/GULKeychainUtils.hpp"

namespace firebase {
namespace {

using platform::PropertyValue;
using platform::security::InMemoryKeychainItemStore;

// Items in memory whose reads of one account wait until they are let go.
class GatedItemStore : public InMemoryKeychainItemStore {
 public:
  explicit GatedItemStore(std::string gatedAccount) : gatedAccount_(std::move(gatedAccount)) {}
  platform::security::OSStatus copyMatching(const platform::security::KeychainItemQuery& query,
                                            platform::security::Data& data) override {
    if (query.account == gatedAccount_) {
      std::unique_lock lock(mutex_);
      opened_.wait(lock, [&] { return open_; });
    }
    return InMemoryKeychainItemStore::copyMatching(query, data);
  }
  void close() {
    std::lock_guard lock(mutex_);
    open_ = false;
  }
  void open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::string gatedAccount_;
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = true;
};

struct Result {
  std::optional<PropertyValue> object;
  platform::ErrorPtr error;
};

class KeychainStorageTest : public ::testing::Test {
 protected:
  Result get(const std::string& key) {
    std::promise<Result> result;
    storage_.getObjectForKey(key, std::nullopt, [&](auto object, auto error) { result.set_value({object, error}); });
    return result.get_future().get();
  }
  Result set(const PropertyValue& object, const std::string& key) {
    std::promise<Result> result;
    storage_.setObject(object, key, std::nullopt, [&](auto stored, auto error) { result.set_value({stored, error}); });
    return result.get_future().get();
  }
  platform::ErrorPtr remove(const std::string& key) {
    std::promise<platform::ErrorPtr> result;
    storage_.removeObjectForKey(key, std::nullopt, [&](auto error) { result.set_value(error); });
    return result.get_future().get();
  }

  InMemoryKeychainItemStore items_;
  GULKeychainStorage storage_{"com.quorbel.test", items_};
};

TEST_F(KeychainStorageTest, StoresReadsAndRemovesObjects) {
  auto missing = get("token");
  EXPECT_FALSE(missing.object.has_value());
  EXPECT_EQ(missing.error, nullptr);
  EXPECT_EQ(remove("token"), nullptr);

  const PropertyValue object = PropertyValue::Dictionary{{"token", "abc"}, {"expires", 42}};
  EXPECT_EQ(set(object, "token").object, object);
  EXPECT_EQ(set(object, "token").error, nullptr);
  EXPECT_EQ(items_.itemCount(), 1u);  // the second write updated the item

  storage_.resetInMemoryCache();
  EXPECT_EQ(get("token").object, object);  // read back from the keychain
  EXPECT_EQ(remove("token"), nullptr);
  EXPECT_FALSE(get("token").object.has_value());
  EXPECT_EQ(items_.itemCount(), 0u);
}

TEST_F(KeychainStorageTest, AFailedWriteLeavesNothingInTheCache) {
  ASSERT_EQ(set(PropertyValue("old"), "key").error, nullptr);
  items_.setForcedStatus(-34018);
  auto failed = set(PropertyValue("new"), "key");
  EXPECT_FALSE(failed.object.has_value());
  ASSERT_NE(failed.error, nullptr);
  EXPECT_EQ(failed.error->domain(), "com.gul.keychain.ErrorDomain");
  EXPECT_EQ(failed.error->code(), 0);
  EXPECT_EQ(failed.error->localizedDescription(), "SecItemCopyMatching (-34018)");
  items_.setForcedStatus(std::nullopt);
  EXPECT_EQ(get("key").object, PropertyValue("old"));
}

TEST_F(KeychainStorageTest, ObjectsKeepEveryValueAndUnarchivableOnesAreRefused) {
  using namespace std::string_literals;
  const PropertyValue object = PropertyValue::Dictionary{
      {"nul", "a\0b"s}, {"date", PropertyValue::Date{733000000.25}}, {"big", std::uint64_t{18446744073709551615u}}};
  ASSERT_EQ(set(object, "token").error, nullptr);
  storage_.resetInMemoryCache();
  EXPECT_EQ(get("token").object, object);

  // A text that is not UTF-8 cannot be archived: the write fails, the item
  // and the cache keep the old object.
  auto failed = set(PropertyValue("\xFF"s), "token");
  EXPECT_FALSE(failed.object.has_value());
  EXPECT_NE(failed.error, nullptr);
  EXPECT_EQ(get("token").object, object);
  storage_.resetInMemoryCache();
  EXPECT_EQ(get("token").object, object);
}

TEST_F(KeychainStorageTest, TheCacheHoldsAtMostFiveObjects) {
  for (int i = 0; i < 7; ++i) ASSERT_EQ(set(PropertyValue(i), "key" + std::to_string(i)).error, nullptr);
  // With the keychain failing, only cached objects can still be read.
  items_.setForcedStatus(-36);
  int cached = 0;
  for (int i = 0; i < 7; ++i) cached += get("key" + std::to_string(i)).object.has_value() ? 1 : 0;
  EXPECT_EQ(cached, 5);
  EXPECT_FALSE(get("key0").object.has_value());
  EXPECT_EQ(get("key0").error->localizedDescription(), "SecItemCopyMatching (-36)");
}

TEST_F(KeychainStorageTest, KeychainErrorsNameTheFunctionAndStatus) {
  const auto error = GULKeychainUtils::keychainError("SecItemAdd", -25299);
  EXPECT_EQ(error->localizedDescription(), "SecItemAdd (-25299)");
  items_.setForcedStatus(-25300);  // not found: no error on read or remove
  EXPECT_EQ(remove("any"), nullptr);
  EXPECT_EQ(get("any").error, nullptr);
}

TEST(KeychainStorageRaceTest, AReadOverlappingARemovalNeverBringsTheObjectBack) {
  GatedItemStore items("key");
  GULKeychainStorage storage("com.quorbel.test", items);
  auto wait = [](auto& promise) { return promise.get_future().get(); };

  std::promise<void> stored;
  storage.setObject(PropertyValue("old"), "key", std::nullopt, [&](auto, auto) { stored.set_value(); });
  wait(stored);
  storage.resetInMemoryCache();

  // The read misses the cache and waits in the keychain; the removal empties
  // the cache meanwhile and queues its keychain call behind the read.
  items.close();
  std::promise<std::optional<PropertyValue>> read;
  storage.getObjectForKey("key", std::nullopt, [&](auto object, auto) { read.set_value(object); });
  std::promise<platform::ErrorPtr> removed;
  storage.removeObjectForKey("key", std::nullopt, [&](auto error) { removed.set_value(error); });
  items.open();
  EXPECT_EQ(wait(read), PropertyValue("old"));
  EXPECT_EQ(wait(removed), nullptr);

  std::promise<std::optional<PropertyValue>> after;
  storage.getObjectForKey("key", std::nullopt, [&](auto object, auto) { after.set_value(object); });
  EXPECT_FALSE(wait(after).has_value());
}

}  // namespace
}  // namespace firebase
