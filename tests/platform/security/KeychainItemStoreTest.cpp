#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

#include "security/KeychainItemStore.hpp"

namespace platform::security {
namespace {

class KeychainItemStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("keychain-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path file() const { return folder_ / "keychain-items.json"; }

  std::filesystem::path folder_;
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
  std::filesystem::create_directories(folder_);
  std::ofstream(file()) << "{\"items\": [{\"service\": 1}]}";
  FileKeychainItemStore store(file());
  Data data;
  EXPECT_EQ(store.copyMatching(kToken, data), errSecIO);
  EXPECT_EQ(store.add(kToken, {1}), errSecIO);
  std::ifstream content(file());
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(content)), {}), "{\"items\": [{\"service\": 1}]}");
}

}  // namespace
}  // namespace platform::security
