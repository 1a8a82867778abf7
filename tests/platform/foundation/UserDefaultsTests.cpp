#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/Bundle.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::PropertyValue;
using platform::UserDefaults;

extern char** environ;

namespace {

class UserDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::resetDefaults(); }
};

pid_t spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_F(UserDefaultsTest, ConvertsStoredTypesLikeThePlatform) {
  auto suite = UserDefaults::suite("group.test.types");
  ASSERT_TRUE(suite);
  suite->set("text", "hello");
  suite->set("number", std::int64_t{42});
  suite->set("real", 0.5);
  suite->set("yes", true);
  suite->set("wordYes", "YES");
  suite->set("numText", "7 apples");
  suite->set("list", PropertyValue::Array{"a", "b"});
  suite->set("mixedList", PropertyValue::Array{"a", 1});
  suite->set("unsigned", std::uint64_t{18446744073709551615u});

  EXPECT_EQ(suite->string("text"), "hello");
  EXPECT_EQ(suite->string("number"), "42");
  EXPECT_EQ(suite->string("real"), "0.5");
  EXPECT_EQ(suite->string("list"), std::nullopt);
  EXPECT_EQ(suite->string("missing"), std::nullopt);

  EXPECT_TRUE(suite->boolean("yes"));
  EXPECT_TRUE(suite->boolean("wordYes"));
  EXPECT_TRUE(suite->boolean("number"));
  EXPECT_TRUE(suite->boolean("numText"));
  EXPECT_FALSE(suite->boolean("text"));
  EXPECT_FALSE(suite->boolean("missing"));

  EXPECT_EQ(suite->integer("number"), 42);
  EXPECT_EQ(suite->integer("real"), 0);
  EXPECT_EQ(suite->integer("yes"), 1);
  EXPECT_EQ(suite->integer("numText"), 7);
  EXPECT_EQ(suite->integer("text"), 0);
  EXPECT_DOUBLE_EQ(suite->doubleValue("real"), 0.5);
  EXPECT_DOUBLE_EQ(suite->doubleValue("number"), 42);
  EXPECT_DOUBLE_EQ(suite->doubleValue("missing"), 0);

  EXPECT_EQ(suite->string("unsigned"), "18446744073709551615");
  EXPECT_TRUE(suite->boolean("unsigned"));
  EXPECT_EQ(suite->integer("unsigned"), INT64_MAX);
  EXPECT_DOUBLE_EQ(suite->doubleValue("unsigned"), 18446744073709551615.0);

  EXPECT_EQ(suite->stringArray("list"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(suite->stringArray("mixedList"), std::nullopt);
  EXPECT_EQ(suite->stringArray("text"), std::nullopt);
}

TEST_F(UserDefaultsTest, PersistsAcrossInstancesWithPrivateFiles) {
  {
    auto suite = UserDefaults::suite("group.test.persist");
    suite->set("llm_provider", "openai");
    suite->set("gone", "x");
    suite->remove("gone");
    ASSERT_TRUE(suite->synchronize());
  }
  UserDefaults::resetForTesting();
  auto again = UserDefaults::suite("group.test.persist");
  EXPECT_EQ(again->string("llm_provider"), "openai");
  EXPECT_EQ(again->object("gone"), std::nullopt);

  struct stat st {};
  ASSERT_EQ(stat(UserDefaults::fileForDomain("group.test.persist").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600);
  auto parsed = platform::plist::readFile(UserDefaults::fileForDomain("group.test.persist"));
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(parsed->isDictionary());
}

TEST_F(UserDefaultsTest, WritesWithoutSynchronizeReachTheFileSoon) {
  UserDefaults::standard().set("preferredPopoverWidthKey", 600.0);
  auto file = UserDefaults::fileForDomain(UserDefaults::standard().domain());
  EXPECT_TRUE(test_support::waitUntil([&] { return std::filesystem::exists(file); }));
  auto parsed = platform::plist::readFile(file);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->asDictionary()->at("preferredPopoverWidthKey"), PropertyValue(600.0));
}

TEST_F(UserDefaultsTest, SuitesThatCannotBeOpened) {
  auto standardDomain = platform::Bundle::main().bundleIdentifier();
  for (const std::string& name : {std::string(), std::string("../escape"), std::string("a/b"), std::string(".."),
                                 std::string("NSGlobalDomain"), standardDomain}) {
    auto opened = UserDefaults::openSuite(name);
    EXPECT_FALSE(opened) << name;
    EXPECT_EQ(UserDefaults::suite(name), nullptr);
  }
}

TEST_F(UserDefaultsTest, AFileThatIsNotAPropertyListIsRefusedAndLeftAlone) {
  auto file = UserDefaults::fileForDomain("group.test.corrupt");
  std::filesystem::create_directories(file.parent_path());
  for (const std::string& garbage : {std::string("this is not a plist"), std::string("<plist><array/></plist>")}) {
    UserDefaults::resetForTesting();
    { std::ofstream(file) << garbage; }
    auto opened = UserDefaults::openSuite("group.test.corrupt");
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.error()->localizedDescription().find(file.string()), std::string::npos);
    EXPECT_EQ(test_support::readFile(file), garbage);
  }
}

TEST_F(UserDefaultsTest, EveryRefusalIsATypedErrorOfItsCase) {
  using Case = platform::UserDefaultsError::Case;
  auto file = UserDefaults::fileForDomain("group.test.refused");
  std::filesystem::create_directories(file.parent_path());
  struct Refusal {
    std::string name, contents;  // contents: "" leaves no file
    Case expected;
  };
  for (const auto& [name, contents, expected] : std::vector<Refusal>{
           {"a/b", "", Case::unusableSuiteName},
           {platform::Bundle::main().bundleIdentifier(), "", Case::standardDomainName},
           {"group.test.refused", "not a plist", Case::notAPropertyList},
           {"group.test.refused", "<plist><array/></plist>", Case::notADictionary}}) {
    UserDefaults::resetForTesting();
    std::filesystem::remove(file);
    if (!contents.empty()) std::ofstream(file) << contents;
    auto opened = UserDefaults::openSuite(name);
    ASSERT_FALSE(opened) << name;
    const auto* error = platform::errorAs<platform::UserDefaultsError>(opened.error());
    ASSERT_NE(error, nullptr) << name;
    EXPECT_EQ(error->errorCase(), expected) << name;
    EXPECT_EQ(error->code(), static_cast<long>(expected));
  }
}

TEST_F(UserDefaultsTest, WithinAReadOnceScopeAnOutsideWriteShowsOnlyAtTheNextScope) {
  auto suite = UserDefaults::suite("group.test.scope");
  ASSERT_TRUE(suite);
  suite->set("k", "before");
  ASSERT_TRUE(suite->synchronize());
  auto writeOutside = [] {
    auto file = UserDefaults::fileForDomain("group.test.scope");
    auto bytes = platform::plist::toBinary(PropertyValue(PropertyValue::Dictionary{{"k", PropertyValue("after")}}));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << *bytes;
  };
  {
    platform::files::ReadOnceScope request;
    EXPECT_EQ(suite->string("k"), "before");
    writeOutside();
    EXPECT_EQ(suite->string("k"), "before");  // the request reads the suite as it began
  }
  EXPECT_EQ(suite->string("k"), "after");
}

TEST_F(UserDefaultsTest, ASuiteDamagedAfterOpeningKeepsItsValuesAndRefusesToOverwrite) {
  auto suite = UserDefaults::suite("group.test.damaged");
  suite->set("kept", "yes");
  ASSERT_TRUE(suite->synchronize());
  auto file = UserDefaults::fileForDomain("group.test.damaged");
  { std::ofstream(file) << "garbage"; }
  EXPECT_EQ(suite->string("kept"), "yes");
  suite->set("other", "x");
  EXPECT_FALSE(suite->synchronize());
  EXPECT_EQ(test_support::readFile(file), "garbage");
}

TEST_F(UserDefaultsTest, TwoProcessesWritingOneSuiteLoseNothing) {
  const int kWrites = 300;
  auto a = spawn({SUITE_WRITER, "group.test.shared", "a", std::to_string(kWrites)});
  auto b = spawn({SUITE_WRITER, "group.test.shared", "b", std::to_string(kWrites)});
  EXPECT_EQ(waitFor(a), 0);
  EXPECT_EQ(waitFor(b), 0);
  auto suite = UserDefaults::suite("group.test.shared");
  auto all = suite->dictionaryRepresentation();
  EXPECT_EQ(all.size(), 2u * kWrites);
  for (int i = 0; i < kWrites; ++i) {
    EXPECT_EQ(suite->integer("a" + std::to_string(i)), i);
    EXPECT_EQ(suite->integer("b" + std::to_string(i)), i);
  }
}

TEST_F(UserDefaultsTest, AReaderNeverSeesATornFile) {
  auto suite = UserDefaults::suite("group.test.torn");
  suite->set("seed", "x");
  ASSERT_TRUE(suite->synchronize());
  auto file = UserDefaults::fileForDomain("group.test.torn");
  auto writer = spawn({SUITE_WRITER, "group.test.torn", "k", "400"});
  int reads = 0, failures = 0;
  while (true) {
    int status = 0;
    if (waitpid(writer, &status, WNOHANG) == writer) break;
    auto parsed = platform::plist::readFile(file);
    ++reads;
    if (!parsed || !parsed->isDictionary()) ++failures;
    EXPECT_TRUE(suite->object("seed"));
  }
  EXPECT_GT(reads, 0);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(suite->integer("k399"), 399);  // the reader picks up the other process's writes
}

namespace {
// The temporary files a write of the suite's file left in its folder.
std::vector<std::string> temporaryFilesOf(const std::string& suite) {
  const auto file = UserDefaults::fileForDomain(suite);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    if (entry.path().filename().string().starts_with("." + file.filename().string() + ".tmp-"))
      names.push_back(entry.path().filename().string());
  return names;
}

int exitStatusOf(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// What the suite reader prints, run as the given user (or as ourselves).
std::string suiteReaderOutput(const std::string& suite, std::optional<uid_t> user) {
  std::string command = std::string(SUITE_READER) + " " + suite + (user ? " " + std::to_string(*user) : "");
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
  }
  return output;
}
}  // namespace

TEST_F(UserDefaultsTest, AWriterKilledAtTheRenameLeavesNoSecretBehind) {
  auto suite = UserDefaults::suite("group.test.killed");
  suite->set("llm_provider", "openai");
  ASSERT_TRUE(suite->synchronize());

  // The killed writer leaves its complete temporary file, key and all.
  const int status = exitStatusOf(spawn({KILLED_WRITER, "group.test.killed", "llm_api_key", "sk-secret"}));
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  auto left = temporaryFilesOf("group.test.killed");
  ASSERT_EQ(left.size(), 1u);
  const auto folder = UserDefaults::fileForDomain("group.test.killed").parent_path();
  EXPECT_NE(test_support::readFile(folder / left[0]).find("sk-secret"), std::string::npos);

  // The next write, under the lock, removes it.
  suite->set("llm_model", "gpt-4o-mini");
  ASSERT_TRUE(suite->synchronize());
  EXPECT_TRUE(temporaryFilesOf("group.test.killed").empty());
  EXPECT_EQ(test_support::readFile(UserDefaults::fileForDomain("group.test.killed")).find("sk-secret"),
            std::string::npos);
  EXPECT_EQ(suite->string("llm_provider"), "openai");
}

TEST_F(UserDefaultsTest, TheLockFileIsNeverOpenedThroughASymbolicLink) {
  auto suite = UserDefaults::suite("group.test.lock-link");
  test_support::TempDir elsewhere;
  const auto target = elsewhere.path() / "created-through-the-link";
  const auto lockFile = UserDefaults::fileForDomain("group.test.lock-link").string() + ".lock";
  std::filesystem::create_directories(std::filesystem::path(lockFile).parent_path());
  std::filesystem::create_symlink(target, lockFile);  // dangling

  suite->set("key", "value");
  EXPECT_FALSE(suite->synchronize());
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_TRUE(std::filesystem::is_symlink(lockFile));
}

TEST_F(UserDefaultsTest, AFileThatCannotBeReadIsReportedWithItsCause) {
  const auto file = UserDefaults::fileForDomain("group.test.unreadable");
  std::filesystem::create_directories(file);  // a folder where the file belongs
  auto opened = UserDefaults::openSuite("group.test.unreadable");
  ASSERT_FALSE(opened);
  EXPECT_NE(opened.error()->localizedDescription().find(file.string()), std::string::npos);
  EXPECT_NE(opened.error()->localizedDescription().find("Is a directory"), std::string::npos);
  std::filesystem::remove(file);

  // A file the user may not read, read by a user without that right (root
  // reads every file, so the reader then runs as "nobody", to whom the
  // settings folders and the file are handed, with the folder above them
  // open to it).
  { std::ofstream(file) << "<plist><dict/></plist>"; }
  std::filesystem::permissions(file, std::filesystem::perms::none);
  std::optional<uid_t> user;
  const auto environment = test_support::IsolatedEnvironment::root();
  const auto environmentPermissions = std::filesystem::status(environment).permissions();
  std::vector<std::filesystem::path> handedOver;
  if (::geteuid() == 0) {
    user = 65534;
    for (auto path = file; path != environment; path = path.parent_path()) {
      handedOver.push_back(path);
      EXPECT_EQ(::chown(path.c_str(), *user, *user), 0) << path;
    }
    std::filesystem::permissions(environment, std::filesystem::perms::others_exec, std::filesystem::perm_options::add);
  }
  const std::string message = suiteReaderOutput("group.test.unreadable", user);
  std::filesystem::permissions(environment, environmentPermissions);
  for (const auto& path : handedOver) EXPECT_EQ(::chown(path.c_str(), 0, 0), 0) << path;
  EXPECT_NE(message.find(file.string()), std::string::npos) << message;
  EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
  EXPECT_EQ(message.find("not a property list"), std::string::npos) << message;
}

// Changes still pending at exit are written then; a write refused at that
// point is logged whole, naming its source, after the program's other static
// objects are gone.
TEST_F(UserDefaultsTest, AWriteRefusedAtExitIsLoggedWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no other threads
  auto file = UserDefaults::fileForDomain("group.test.exit");
  EXPECT_EXIT(
      {
        auto suite = UserDefaults::suite("group.test.exit");
        suite->set("k", "v");
        suite->synchronize();
        std::filesystem::permissions(file, std::filesystem::perms::others_write, std::filesystem::perm_options::add);
        suite->set("k", "w");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0),
      "\\[com\\.quorbel\\.foundation:UserDefaults\\] <Error> Not writing group\\.test\\.exit: .*writable by others");
}
