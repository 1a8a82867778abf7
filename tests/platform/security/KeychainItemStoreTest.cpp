#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "security/KeychainItemStore.hpp"
#include "security/KeychainItemsFile.hpp"
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

TEST_F(KeychainItemStoreTest, ItsFoldersAreTheUsersAloneWhateverTheUmaskAndAnExposedFileIsRefused) {
  const mode_t previous = ::umask(0);
  const OSStatus added = FileKeychainItemStore(file(), folder_.path()).add(kToken, {1});
  ::umask(previous);
  ASSERT_EQ(added, errSecSuccess);
  struct stat info {};
  ASSERT_EQ(::stat(file().parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  std::filesystem::permissions(file(), std::filesystem::perms::group_write, std::filesystem::perm_options::add);
  const std::string before = test_support::readFile(file());
  FileKeychainItemStore store(file(), folder_.path());
  Data data;
  EXPECT_EQ(store.copyMatching(kToken, data), errSecIO);
  EXPECT_EQ(store.update(kToken, {2}), errSecIO);
  EXPECT_EQ(test_support::readFile(file()), before);
}

TEST_F(KeychainItemStoreTest, ADamagedFileIsAnErrorAndIsNotOverwritten) {
  folder_.write("keychain/keychain-items.json", "{\"items\": [{\"service\": 1}]}");
  FileKeychainItemStore store(file());
  Data data;
  EXPECT_EQ(store.copyMatching(kToken, data), errSecIO);
  EXPECT_EQ(store.add(kToken, {1}), errSecIO);
  EXPECT_EQ(test_support::readFile(file()), "{\"items\": [{\"service\": 1}]}");
}

TEST_F(KeychainItemStoreTest, ASpecialOrHugeFileIsAnErrorAtOnceAndIsLeftAlone) {
  std::filesystem::create_directories(file().parent_path());
  struct Case {
    std::string name;
    std::function<void()> make;
  } cases[] = {
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0); }},
      {"a link to /dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", file()); }},
      {"a sparse file of 64 MiB", [&] {
         std::ofstream(file()) << "{";
         std::filesystem::resize_file(file(), 64 * 1024 * 1024);
       }},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(file());
    c.make();
    const auto before = test_support::shapeOf(file());
    FileKeychainItemStore store(file());
    Data data;
    EXPECT_EQ(store.copyMatching(kToken, data), errSecIO) << c.name;
    EXPECT_EQ(store.add(kToken, {1}), errSecIO) << c.name;
    EXPECT_EQ(test_support::shapeOf(file()), before) << c.name;
  }
}

TEST_F(KeychainItemStoreTest, AnItemWhoseNameCannotBeStoredIsRefused) {
  FileKeychainItemStore store(file());
  ASSERT_EQ(store.add(kToken, {1}), errSecSuccess);
  const std::string before = test_support::readFile(file());
  // Written with a replacement character, it would come back as another item.
  EXPECT_EQ(store.add({"service", "\xFF", std::nullopt}, {2}), errSecIO);
  EXPECT_EQ(test_support::readFile(file()), before);
}

struct ItemsFileCase {
  const char* name;
  std::string text;
  std::optional<KeychainItems> items;
};
void PrintTo(const ItemsFileCase& c, std::ostream* os) { *os << c.name; }

class KeychainItemsFileTest : public ::testing::TestWithParam<ItemsFileCase> {};

TEST_P(KeychainItemsFileTest, DecodesOnlyWellFormedDocuments) {
  EXPECT_EQ(decodeKeychainItems(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, KeychainItemsFileTest,
    ::testing::Values(
        ItemsFileCase{"NoItems", R"({"items": []})", KeychainItems{}},
        ItemsFileCase{"ItemWithAccessGroup",
                      R"({"items": [{"service": "s", "account": "a", "accessGroup": "g", "data": "00ff7A"}]})",
                      KeychainItems{{{"s", "a", "g"}, {0x00, 0xFF, 0x7A}}}},
        ItemsFileCase{"OddNumberOfDigits", R"({"items": [{"service": "s", "account": "a", "data": "abc"}]})", {}},
        ItemsFileCase{"NotHexadecimal", R"({"items": [{"service": "s", "account": "a", "data": "zz"}]})", {}},
        ItemsFileCase{"BlankBeforeADigit", R"({"items": [{"service": "s", "account": "a", "data": " f00"}]})", {}},
        ItemsFileCase{"SignedDigits", R"({"items": [{"service": "s", "account": "a", "data": "+f"}]})", {}},
        ItemsFileCase{"AccessGroupNotAText",
                      R"({"items": [{"service": "s", "account": "a", "accessGroup": 1, "data": ""}]})", {}},
        ItemsFileCase{"MissingAccount", R"({"items": [{"service": "s", "data": ""}]})", {}},
        ItemsFileCase{"ItemsNotAList", R"({"items": {}})", {}},
        ItemsFileCase{"TopLevelList", R"([])", {}},
        ItemsFileCase{"NotJSON", "items", {}}),
    [](const ::testing::TestParamInfo<ItemsFileCase>& info) { return std::string(info.param.name); });

TEST(KeychainItemsFile, WhatIsEncodedDecodesAsItself) {
  KeychainItems items{{{"s\u00E9rvice", "account", std::nullopt}, {}},
                      {{"service", "account", "group"}, {0, 1, 254, 255}}};
  auto text = encodeKeychainItems(items);
  ASSERT_TRUE(text);
  EXPECT_EQ(decodeKeychainItems(*text), items);
  EXPECT_FALSE(encodeKeychainItems({{{"service", "\xC3", std::nullopt}, {1}}}));
}

}  // namespace
}  // namespace platform::security
