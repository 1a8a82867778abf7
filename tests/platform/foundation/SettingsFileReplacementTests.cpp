// How a write replaces a domain's file: through the symbolic links a dotfile
// manager keeps, never touching another domain's file, and saying why when
// the file cannot be written.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/DefaultsCommand.hpp"
#include "foundation/FileStamp.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::PropertyValue;
using platform::UserDefaults;
namespace plist = platform::plist;

namespace {

// Names of the write's temporary files (and anything that looks like one)
// in a folder.
std::vector<std::string> temporaryFilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos)
      names.push_back(entry.path().filename().string());
  return names;
}

PropertyValue::Dictionary storedIn(const std::filesystem::path& file) {
  auto stored = plist::readFile(file);
  EXPECT_TRUE(stored) << stored.error()->localizedDescription();
  return stored && stored->isDictionary() ? *stored->asDictionary() : PropertyValue::Dictionary{};
}

void store(const std::filesystem::path& file, const PropertyValue::Dictionary& values) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << plist::toBinary(PropertyValue(values)).value();
}

// A domain's file kept as a link elsewhere: sets the link up in place of
// `file` and answers the file the links end at.
struct LinkedSettings {
  std::string name;
  std::function<std::filesystem::path(const std::filesystem::path& file, const std::filesystem::path& elsewhere)> link;
  friend void PrintTo(const LinkedSettings& value, std::ostream* out) { *out << value.name; }
};

const LinkedSettings kLinkedSettings[] = {
    {"AbsoluteLink",
     [](const auto& file, const auto& elsewhere) {
       const auto target = elsewhere / "dotfiles" / "quorbel.plist";
       std::filesystem::create_symlink(target, file);
       return target;
     }},
    {"RelativeLink",
     [](const auto& file, const auto& elsewhere) {
       const auto target = elsewhere / "dotfiles" / "quorbel.plist";
       std::filesystem::create_symlink(std::filesystem::relative(target, file.parent_path()), file);
       return target;
     }},
    {"ChainOfTwoLinks",
     [](const auto& file, const auto& elsewhere) {
       const auto target = elsewhere / "dotfiles" / "quorbel.plist";
       std::filesystem::create_symlink("dotfiles/quorbel.plist", elsewhere / "current.plist");
       std::filesystem::create_symlink(elsewhere / "current.plist", file);
       return target;
     }},
};

class LinkedSettingsFileTest : public ::testing::TestWithParam<LinkedSettings> {
 protected:
  void SetUp() override { test_support::resetDefaults(); }
  test_support::TempDir elsewhere_;
};

TEST_P(LinkedSettingsFileTest, AWriteGoesThroughTheLinkWhichStays) {
  const auto file = UserDefaults::fileForDomain("group.test.linked");
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::create_directories(elsewhere_.path() / "dotfiles");
  const auto target = GetParam().link(file, elsewhere_.path());
  const auto linkText = std::filesystem::read_symlink(file);
  PropertyValue::Dictionary expected{{"llm_provider", "ollama"}};
  store(target, expected);

  auto suite = UserDefaults::suite("group.test.linked");
  ASSERT_TRUE(suite);
  EXPECT_EQ(suite->string("llm_provider"), "ollama");
  ASSERT_TRUE(suite->set("llm_model", "llama3.2"));
  ASSERT_TRUE(suite->writeChanges());
  expected["llm_model"] = "llama3.2";

  ASSERT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(std::filesystem::read_symlink(file), linkText);
  ASSERT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(target)));
  EXPECT_EQ(storedIn(target), expected);
  struct stat status {};
  ASSERT_EQ(::stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(temporaryFilesIn(target.parent_path()), std::vector<std::string>{});
  EXPECT_EQ(temporaryFilesIn(file.parent_path()), std::vector<std::string>{});

  // A second write, and a fresh reader, go the same way.
  ASSERT_TRUE(suite->set("llm_timeout", 45.0));
  ASSERT_TRUE(suite->writeChanges());
  UserDefaults::resetForTesting();
  EXPECT_EQ(UserDefaults::suite("group.test.linked")->doubleValue("llm_timeout"), 45.0);
  EXPECT_EQ(UserDefaults::suite("group.test.linked")->string("llm_model"), "llama3.2");
  EXPECT_EQ(std::filesystem::read_symlink(file), linkText);
}

INSTANTIATE_TEST_SUITE_P(StoredFiles, LinkedSettingsFileTest, ::testing::ValuesIn(kLinkedSettings),
                         [](const auto& info) { return info.param.name; });

TEST(SettingsFileReplacement, AWriteNeverRemovesAnotherDomainsFile) {
  test_support::resetDefaults();
  // Domains named so that their files look like leftovers of a write of
  // "group.test.x": as the leftovers were once named, and as they are now.
  const std::vector<std::string> lookalikes{"group.test.x.plist.tmp-", ".group.test.x.plist.tmp-",
                                            ".group.test.x.plist.tmp-abcdef"};
  for (const auto& domain : lookalikes) {
    auto suite = UserDefaults::suite(domain);
    ASSERT_TRUE(suite) << domain;
    ASSERT_TRUE(suite->set("owner", domain));
    ASSERT_TRUE(suite->writeChanges()) << domain;
  }
  auto x = UserDefaults::suite("group.test.x");
  for (int write = 0; write < 2; ++write) {
    ASSERT_TRUE(x->set("count", write));
    ASSERT_TRUE(x->writeChanges());
  }
  UserDefaults::resetForTesting();
  for (const auto& domain : lookalikes) {
    ASSERT_TRUE(std::filesystem::exists(UserDefaults::fileForDomain(domain))) << domain;
    EXPECT_EQ(UserDefaults::suite(domain)->string("owner"), domain);
  }
}

// Runs the defaults program where no process may write a file beyond
// `maxFileBytes`, as on a disk that is full; answers its exit status and
// what it printed on standard error.
std::pair<int, std::string> defaultsWithFilesLimitedTo(rlim_t maxFileBytes, std::vector<std::string> args) {
  args.insert(args.begin(), DEFAULTS_PROGRAM);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int ends[2];
  if (::pipe(ends) != 0) return {-1, "no pipe"};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ends[1], STDERR_FILENO);
    ::close(ends[0]);
    ::close(ends[1]);
    ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG rather than ending the program
    const rlimit limit{maxFileBytes, maxFileBytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(ends[1]);
  const std::string err = test_support::readToEnd(ends[0]);
  ::close(ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

TEST(SettingsFileReplacement, AWriteThatFailsSaysWhyAndLeavesTheFileAsItWas) {
  test_support::resetDefaults();
  const auto file = UserDefaults::fileForDomain("group.test.full");
  store(file, {{"llm_provider", "openai"}});
  const auto before = test_support::readFile(file);

  // A full disk fails the same way, with "No space left on device".
  const auto [status, err] =
      defaultsWithFilesLimitedTo(4096, {"write", "group.test.full", "customSystemPrompt", std::string(65536, 'x')});
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("defaults: The settings file " + file.string() + " couldn\u2019t be written: File too large"),
            std::string::npos)
      << err;
  EXPECT_EQ(test_support::readFile(file), before);
  EXPECT_TRUE(temporaryFilesIn(file.parent_path()).empty());
}

}  // namespace

// Where file times come from a coarse clock, a change in the tick a reader
// looked at the file in (or a rename onto it of a file given its freed inode)
// can carry the very stamp the reader kept: a stamp whose times are not yet
// a tick in the past is not trusted, so the next request reads the file again.
TEST(SettingsFileReplacement, AStampIsTrustedOnlyOnceItsTimesLieATickInThePast) {
  test_support::TempDir dir;
  const auto file = dir.write("domain.plist", "one");
  const auto now = std::filesystem::file_time_type::clock::now();
  std::filesystem::last_write_time(file, now + std::chrono::hours(1));
  EXPECT_FALSE(platform::files::stampOf(file).isReliable());
  std::filesystem::last_write_time(file, now - std::chrono::hours(1));
  // The change time, which only the clock sets, has to age too.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!platform::files::stampOf(file).isReliable() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  EXPECT_TRUE(platform::files::stampOf(file).isReliable());
}
