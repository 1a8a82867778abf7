#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#include "foundation/Bundle.hpp"
#include "foundation/DefaultsCommand.hpp"
#include "foundation/PrivateFiles.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::UserDefaults;

namespace {

constexpr const char* kSuite = "group.test.private";

constexpr uid_t kAnotherUser = 65534;
constexpr uid_t kKeepsTheOwner = static_cast<uid_t>(-1);

// The settings file's folder moved to `elsewhere`, a link of `owner`'s in
// its place.
std::filesystem::path linkPreferencesTo(const std::filesystem::path& file, const std::filesystem::path& elsewhere,
                                        uid_t owner = kKeepsTheOwner) {
  const auto folder = file.parent_path();
  std::filesystem::rename(folder, elsewhere);
  std::filesystem::create_directory_symlink(elsewhere, folder);
  EXPECT_EQ(::lchown(folder.c_str(), owner, static_cast<gid_t>(-1)), 0);
  return folder;
}

// The settings file moved to `target`, reached from its place through a
// link at `hop` (given to `hopOwner`).
void linkFileThrough(const std::filesystem::path& file, const std::filesystem::path& hop,
                     const std::filesystem::path& target, uid_t hopOwner = kKeepsTheOwner) {
  std::filesystem::create_directories(target.parent_path());
  std::filesystem::rename(file, target);
  std::filesystem::create_symlink(target, hop);
  EXPECT_EQ(::lchown(hop.c_str(), hopOwner, static_cast<gid_t>(-1)), 0);
  std::filesystem::create_symlink(hop, file);
}

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
  bool givesAway = false;  // gives a link to another user, which only root can
};
void PrintTo(const Exposure& e, std::ostream* os) { *os << e.name; }

class ExposedSettings : public PrivateSettingsTest, public ::testing::WithParamInterface<Exposure> {};

TEST_P(ExposedSettings, AreRefusedBeforeAReadAndAWrite) {
  if (GetParam().givesAway && ::geteuid() != 0) GTEST_SKIP() << "only root can give a link away";
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
                   return std::optional("The file " + elsewhere.string() + ", to which the link " + file.string() +
                                        " leads, is writable by others");
                 }},
        Exposure{"PreferencesFolderLinkedToOneWritableByAll",
                 [](const auto& file) {
                   const auto elsewhere = test_support::IsolatedEnvironment::root() / "open-preferences";
                   const auto link = linkPreferencesTo(file, elsewhere);
                   std::filesystem::permissions(elsewhere, std::filesystem::perms::all);
                   return std::optional("The folder " + elsewhere.string() + ", to which the link " + link.string() +
                                        " leads, is writable by others");
                 }},
        Exposure{"PreferencesFolderALinkOfAnotherUser",
                 [](const auto& file) {
                   const auto link = linkPreferencesTo(
                       file, test_support::IsolatedEnvironment::root() / "given-preferences", kAnotherUser);
                   return std::optional("The link " + link.string() + " belongs to another user");
                 },
                 true},
        Exposure{"FileLinkedThroughALinkOfAnotherUser",
                 [](const auto& file) {
                   const auto hop = test_support::IsolatedEnvironment::root() / "given-hop.plist";
                   linkFileThrough(file, hop, test_support::IsolatedEnvironment::root() / "given-store" / "s.plist",
                                   kAnotherUser);
                   return std::optional("The link " + hop.string() + " belongs to another user");
                 },
                 true},
        Exposure{"FileLinkedThroughASecondLinkIntoAFolderWritableByAll",
                 [](const auto& file) {
                   const auto hop = test_support::IsolatedEnvironment::root() / "second-hop.plist";
                   const auto store = test_support::IsolatedEnvironment::root() / "open-store";
                   linkFileThrough(file, hop, store / "s.plist");
                   std::filesystem::permissions(store, std::filesystem::perms::all);
                   return std::optional("The folder " + store.string() + ", to which the link " + hop.string() +
                                        " leads, is writable by others");
                 }},
        Exposure{"SettingsFolderReadableByAll",
                 [](const auto& file) {
                   std::filesystem::permissions(file.parent_path().parent_path(), static_cast<std::filesystem::perms>(0755));
                   return std::optional<std::string>();
                 }},
        Exposure{"FoldersOfAnotherUser",
                 [](const auto&) {
                   platform::files::setOwnUserForTesting(::geteuid() + 1);
                   return std::optional("The folder " + platform::paths::configHome().string() +
                                        " belongs to another user");
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// A settings file that links to a file not there: a write would make that
// file wherever the link leads, in a folder nobody checked.
TEST_F(PrivateSettingsTest, ALinkToAMissingFileIsRefusedNamingBoth) {
  auto opened = UserDefaults::openSuite(kSuite);  // before the link: the write is refused later
  ASSERT_TRUE(opened);
  test_support::TempDir elsewhere;
  const auto target = elsewhere.path() / "gone.plist";
  const auto file = UserDefaults::fileForDomain(kSuite);
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::create_symlink(target, file);
  const std::string refusal = "The link " + file.string() + " leads to " + target.string() + ", which does not exist";

  (*opened)->set("k", "v");
  auto written = (*opened)->writeChanges();
  ASSERT_FALSE(written);
  EXPECT_NE(written.error()->localizedDescription().find(refusal), std::string::npos)
      << written.error()->localizedDescription();
  UserDefaults::resetForTesting();
  auto reopened = UserDefaults::openSuite(kSuite);
  ASSERT_FALSE(reopened);
  EXPECT_NE(reopened.error()->localizedDescription().find(refusal), std::string::npos)
      << reopened.error()->localizedDescription();
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

struct CommandRun {
  int status;
  std::string out, err;
};

CommandRun defaults(const std::vector<std::string>& args) {
  UserDefaults::resetForTesting();
  std::ostringstream out, err;
  const int status = platform::runDefaultsCommand(args, out, err);
  return {status, out.str(), err.str()};
}

// The test's own group where no other account is in it, as a user's private
// group is; nothing where the machine gives the test a shared group.
std::optional<gid_t> privateGroup() {
  const gid_t group = ::getegid();
  if (const auto* entry = ::getgrgid(group); entry && entry->gr_mem[0]) return std::nullopt;
  std::optional<gid_t> found = group;
  ::setpwent();
  while (const auto* account = ::getpwent())
    if (account->pw_gid == group && account->pw_uid != ::geteuid()) found.reset();
  ::endpwent();
  return found;
}

// The settings root ($XDG_CONFIG_HOME) as the user made it, or the folder a
// missing one is made in. Its mode is the user's: it stays, whether the
// settings are kept in it or refused. A folder through which another user
// could replace them is refused, with nothing made in it; a group counts as
// others only when anyone but the user is in it.
struct SettingsRoot {
  const char* name;
  mode_t mode;
  enum class Group { own, nobodys } group;
  bool ownedByNobody;
  const char* refusal;   // nothing: the settings are kept there
  bool missing = false;  // the root is to be made in this folder
};
void PrintTo(const SettingsRoot& root, std::ostream* os) { *os << root.name; }

class SettingsRootTest : public PrivateSettingsTest, public ::testing::WithParamInterface<SettingsRoot> {};

TEST_P(SettingsRootTest, KeepsItsModeAndIsUsedOrRefusedWithNothingMadeInIt) {
  const auto& c = GetParam();
  const auto* nobody = ::getpwnam("nobody");
  if (!nobody || nobody->pw_uid == ::geteuid()) GTEST_SKIP() << "no account of another user to lend its group";
  if (c.group == SettingsRoot::Group::own && !privateGroup()) GTEST_SKIP() << "the test's group has other members";
  test_support::TempDir home;
  const auto folder = home.path() / "config";
  std::filesystem::create_directory(folder);
  const uid_t owner = c.ownedByNobody ? nobody->pw_uid : ::geteuid();
  const gid_t group = c.group == SettingsRoot::Group::nobodys ? nobody->pw_gid : ::getegid();
  if (::chown(folder.c_str(), owner, group) != 0) GTEST_SKIP() << "only root can give a folder away";
  ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
  const auto root = c.missing ? folder / "config" : folder;
  test_support::ScopedEnv config("XDG_CONFIG_HOME", root.string());

  const auto written = defaults({"write", kSuite, "llm_timeout", "-float", "45"});
  const auto read = defaults({"read", kSuite});
  const auto keyRead = defaults({"read", "group.test.never.written", "llm_timeout"});
  EXPECT_EQ(modeOf(folder), c.mode);
  if (!c.refusal) {
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_NE(read.out.find("llm_timeout = 45"), std::string::npos) << read.out << read.err;
    EXPECT_EQ(keyRead.err, "The domain/default pair of (group.test.never.written, llm_timeout) does not exist\n");
    return;
  }
  for (const auto* run : {&written, &read, &keyRead}) {
    EXPECT_EQ(run->status, 1);
    const std::string subject =
        "The folder " + folder.string() + (c.missing ? ", in which the folder " + root.string() + " would be made," : "");
    EXPECT_NE(run->err.find(subject + " " + c.refusal), std::string::npos) << run->err;
    EXPECT_NE(run->err.find("set XDG_CONFIG_HOME to a folder of your own"), std::string::npos) << run->err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SettingsRootTest,
    ::testing::Values(
        SettingsRoot{"Private0700", 0700, SettingsRoot::Group::own, false, nullptr},
        SettingsRoot{"ReadableByAll0755", 0755, SettingsRoot::Group::own, false, nullptr},
        SettingsRoot{"WritableByAPrivateGroup0775", 0775, SettingsRoot::Group::own, false, nullptr},
        SettingsRoot{"SetgidForAPrivateGroup2775", 02775, SettingsRoot::Group::own, false, nullptr},
        SettingsRoot{"StickyAndWritableByAll1777", 01777, SettingsRoot::Group::own, false, nullptr},
        SettingsRoot{"WritableByASharedGroup0775", 0775, SettingsRoot::Group::nobodys, false,
                     "is writable by its group"},
        SettingsRoot{"WritableByAll0777", 0777, SettingsRoot::Group::own, false, "is writable by others"},
        SettingsRoot{"OfAnotherUser0755", 0755, SettingsRoot::Group::own, true, "belongs to another user"},
        SettingsRoot{"MissingInAFolderReadableByAll0755", 0755, SettingsRoot::Group::own, false, nullptr, true},
        SettingsRoot{"MissingInAStickyFolder1777", 01777, SettingsRoot::Group::own, false, nullptr, true},
        SettingsRoot{"MissingInAFolderWritableByAll0777", 0777, SettingsRoot::Group::own, false,
                     "is writable by others", true},
        SettingsRoot{"MissingInAStickyFolderOfAnotherUser1777", 01777, SettingsRoot::Group::own, true,
                     "belongs to another user", true}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder below the root is the programs' own, and the settings kept in it
// are replaced by whoever owns it.
TEST_F(PrivateSettingsTest, ASettingsFolderOfAnotherUserIsRefused) {
  const auto* nobody = ::getpwnam("nobody");
  const auto folder = platform::paths::configHome() / "quorbel";
  std::filesystem::create_directories(folder);
  if (!nobody || ::chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) GTEST_SKIP() << "needs root";
  const auto written = defaults({"write", kSuite, "k", "v"});
  EXPECT_EQ(written.status, 1);
  EXPECT_NE(written.err.find("The folder " + folder.string() + " belongs to another user"), std::string::npos)
      << written.err;
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// What the guard says, in a child that has become an ordinary user (no
// account's, so no group but its own), when that user's settings file
// `file` is to be written under `root`: nothing when it passes.
std::string guardedForAnOrdinaryUser(const std::filesystem::path& root, const std::filesystem::path& file) {
  constexpr uid_t kOrdinaryUser = 65533;
  int pipe[2];
  if (::pipe(pipe) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    std::string said;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 || ::setuid(kOrdinaryUser) != 0)
      said = "cannot become an ordinary user";
    else if (auto guarded = platform::files::guardPrivateFile(root, file, platform::files::MissingFolders::create);
             !guarded)
      said = guarded.error().reason;
    (void)!::write(pipe[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  const std::string said = test_support::readToEnd(pipe[0]);
  ::close(pipe[0]);
  ::waitpid(child, nullptr, 0);
  return said;
}

// A missing root is made in a folder of root's, as /tmp, where no one but
// root could replace it: the sticky bit keeps each to their own entries.
TEST_F(PrivateSettingsTest, AMissingRootIsMadeInAStickyFolderOfRootsButNotInAnOpenOne) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can act as an ordinary user";
  test_support::TempDir home;
  ASSERT_EQ(::chmod(home.path().c_str(), 0711), 0);
  for (const auto& [mode, refusal] : {std::pair<mode_t, const char*>{01777, nullptr}, {0777, "is writable by others"}}) {
    const auto folder = home.path() / std::to_string(mode);
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
    const auto root = folder / "config";
    const auto said = guardedForAnOrdinaryUser(root, root / "quorbel" / "preferences" / "s.plist");
    EXPECT_EQ(modeOf(folder), mode);
    if (!refusal) {
      EXPECT_EQ(said, "");
      EXPECT_EQ(modeOf(root / "quorbel" / "preferences"), 0700u);
      continue;
    }
    EXPECT_NE(said.find("The folder " + folder.string() + ", in which the folder " + root.string() +
                        " would be made, " + refusal),
              std::string::npos)
        << said;
    EXPECT_TRUE(std::filesystem::is_empty(folder));
  }
}

}  // namespace
