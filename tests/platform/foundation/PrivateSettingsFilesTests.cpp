#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "foundation/Bundle.hpp"
#include "foundation/PrivateFiles.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::UserDefaults;

namespace {

constexpr const char* kSuite = "group.test.private";

mode_t modeOf(const std::filesystem::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class PrivateSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::resetDefaults(); }
  void TearDown() override {
    platform::files::setOwnUserForTesting(std::nullopt);
    test_support::resetDefaults();
  }
};

TEST_F(PrivateSettingsTest, FoldersAndFilesAreTheUsersAloneWhateverTheUmask) {
  test_support::TempDir home;
  test_support::ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "made" / "config").string());
  UserDefaults::resetForTesting();
  const mode_t previous = ::umask(0);
  auto suite = UserDefaults::openSuite(kSuite);
  const bool written = suite && (*suite)->set("k", "v") && (*suite)->writeChanges();
  ::umask(previous);
  ASSERT_TRUE(written);
  const auto file = UserDefaults::fileForDomain(kSuite);
  for (const auto& folder : {home.path() / "made", file.parent_path().parent_path().parent_path(),
                             file.parent_path().parent_path(), file.parent_path()})
    EXPECT_EQ(modeOf(folder), 0700u) << folder;
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(modeOf(file.string() + ".lock"), 0600u);
  UserDefaults::resetForTesting();
}

// What someone else could have done to the settings since the last start,
// and the refusal that names it (nothing: the user's own folder is made
// private again and the settings are used).
struct Exposure {
  const char* name;
  std::function<std::optional<std::string>(const std::filesystem::path& file)> expose;
};
void PrintTo(const Exposure& e, std::ostream* os) { *os << e.name; }

class ExposedSettings : public PrivateSettingsTest, public ::testing::WithParamInterface<Exposure> {};

TEST_P(ExposedSettings, AreRefusedBeforeAReadAndAWrite) {
  const auto file = UserDefaults::fileForDomain(kSuite);
  {
    auto suite = UserDefaults::openSuite(kSuite);
    ASSERT_TRUE(suite && (*suite)->set("kept", "as it was") && (*suite)->writeChanges());
  }
  UserDefaults::resetForTesting();
  auto opened = UserDefaults::openSuite(kSuite);  // before the change: the write is refused later
  ASSERT_TRUE(opened);
  const std::string before = test_support::readFile(file);
  const auto refusal = GetParam().expose(file);

  (*opened)->set("new", "value");
  auto written = (*opened)->writeChanges();
  UserDefaults::resetForTesting();
  auto reopened = UserDefaults::openSuite(kSuite);
  if (!refusal) {
    EXPECT_TRUE(written) << written.error()->localizedDescription();
    ASSERT_TRUE(reopened);
    EXPECT_EQ((*reopened)->string("new"), "value");
    for (auto folder = file.parent_path(); folder != platform::paths::configHome(); folder = folder.parent_path())
      EXPECT_EQ(modeOf(folder), 0700u) << folder;
    return;
  }
  ASSERT_FALSE(written);
  EXPECT_NE(written.error()->localizedDescription().find(*refusal), std::string::npos)
      << written.error()->localizedDescription();
  ASSERT_FALSE(reopened);
  EXPECT_NE(reopened.error()->localizedDescription().find(*refusal), std::string::npos)
      << reopened.error()->localizedDescription();
  platform::files::setOwnUserForTesting(std::nullopt);
  EXPECT_EQ(test_support::readFile(file), before);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ExposedSettings,
    ::testing::Values(
        Exposure{"PreferencesFolderOpenToAll",
                 [](const auto& file) {
                   std::filesystem::permissions(file.parent_path(), std::filesystem::perms::all);
                   return std::optional<std::string>();
                 }},
        Exposure{"SettingsFolderOpenToTheGroup",
                 [](const auto& file) {
                   std::filesystem::permissions(file.parent_path().parent_path(),
                                                std::filesystem::perms::owner_all | std::filesystem::perms::group_all);
                   return std::optional<std::string>();
                 }},
        Exposure{"FileWritableByOthers",
                 [](const auto& file) {
                   std::filesystem::permissions(file, std::filesystem::perms::others_write,
                                                std::filesystem::perm_options::add);
                   return std::optional("The file " + file.string() + " is writable by others");
                 }},
        Exposure{"FileLinkedToOneWritableByOthers",
                 [](const auto& file) {
                   const auto elsewhere = test_support::IsolatedEnvironment::root() / "elsewhere.plist";
                   std::filesystem::copy_file(file, elsewhere, std::filesystem::copy_options::overwrite_existing);
                   std::filesystem::permissions(elsewhere, std::filesystem::perms::group_write,
                                                std::filesystem::perm_options::add);
                   std::filesystem::remove(file);
                   std::filesystem::create_symlink(elsewhere, file);
                   return std::optional("The file " + file.string() + " is writable by others");
                 }},
        Exposure{"FoldersOfAnotherUser",
                 [](const auto&) {
                   platform::files::setOwnUserForTesting(::geteuid() + 1);
                   return std::optional("The folder " + platform::paths::configHome().string() +
                                        " belongs to another user");
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
