#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "security/KeychainItemStore.hpp"
#include "test_support/TempDir.hpp"

namespace platform::security {
namespace {

class KeychainItemStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return folder_.path() / "keychain" / "keychain-items.json"; }

  test_support::TempDir folder_;
};

const KeychainItemQuery kToken{"service", "token", std::nullopt};
const KeychainItemQuery kGroupToken{"service", "token", "group.tesvarin.quorbel"};

void exerciseStore(KeychainItemStore& store) {
  Data data;
  EXPECT_EQ(store.copyMatching(kToken, data), errSecItemNotFound);
  EXPECT_EQ(store.update(kToken, {1}), errSecItemNotFound);
  EXPECT_EQ(store.remove(kToken), errSecItemNotFound);
  EXPECT_EQ(store.add(kToken, {1, 2, 3}), errSecSuccess);
  EXPECT_EQ(store.add(kToken, {9}), errSecDuplicateItem);
  EXPECT_EQ(store.add(kGroupToken, {7}), errSecSuccess);
  EXPECT_EQ(store.update(kToken, {4, 5}), errSecSuccess);
  EXPECT_EQ(store.copyMatching(kToken, data), errSecSuccess);
  EXPECT_EQ(data, (Data{4, 5}));
  EXPECT_EQ(store.copyMatching(kGroupToken, data), errSecSuccess);
  EXPECT_EQ(data, (Data{7}));
  EXPECT_EQ(store.remove(kGroupToken), errSecSuccess);
  EXPECT_EQ(store.copyMatching(kGroupToken, data), errSecItemNotFound);
}

TEST_F(KeychainItemStoreTest, BothStoresFollowTheKeychainStatuses) {
  InMemoryKeychainItemStore memory;
  exerciseStore(memory);
  FileKeychainItemStore file(this->file());
  exerciseStore(file);
}

TEST_F(KeychainItemStoreTest, TheFileIsPrivateAndOutlivesTheStore) {
  {
    FileKeychainItemStore store(file());
    ASSERT_EQ(store.add(kToken, {0, 255, 10}), errSecSuccess);
  }
  struct stat info {};
  ASSERT_EQ(::stat(file().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  FileKeychainItemStore reopened(file());
  Data data;
  EXPECT_EQ(reopened.copyMatching(kToken, data), errSecSuccess);
  EXPECT_EQ(data, (Data{0, 255, 10}));
}

TEST_F(KeychainItemStoreTest, ADamagedFileIsAnErrorAndIsNotOverwritten) {
  folder_.write("keychain/keychain-items.json", "{\"items\": [{\"service\": 1}]}");
  FileKeychainItemStore store(file());
  Data data;
  EXPECT_EQ(store.copyMatching(kToken, data), errSecIO);
  EXPECT_EQ(store.add(kToken, {1}), errSecIO);
  EXPECT_EQ(test_support::readFile(file()), "{\"items\": [{\"service\": 1}]}");
}

}  // namespace
}  // namespace platform::security
