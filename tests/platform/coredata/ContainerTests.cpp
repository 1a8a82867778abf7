#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "CoreDataTestSupport.hpp"
#include "coredata/CoreDataError.hpp"
#include "coredata/PersistentContainer.hpp"
#include "foundation/Bundle.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using coredata::Date;
using coredata::FetchRequest;
using coredata::ManagedObject;
using coredata::ManagedObjectModel;
using coredata::PersistentContainer;
using namespace std::chrono_literals;

Date at(std::chrono::seconds sinceEpoch) { return Date(sinceEpoch); }

// Each test starts without a store file or model resource of its own.
class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(PersistentContainer::defaultDirectoryURL());
    std::filesystem::remove(modelResource());
  }
  void TearDown() override { SetUp(); }

  static std::filesystem::path modelResource() {
    return test_support::IsolatedEnvironment::bundlePath() / "Resources" / "quorbel.datamodel";
  }
  static std::filesystem::path storeFile() { return PersistentContainer::defaultDirectoryURL() / "quorbel.sqlite"; }

  static std::unique_ptr<PersistentContainer> container(const std::string& model = coredata_test::kItemModel) {
    return std::make_unique<PersistentContainer>("quorbel", ManagedObjectModel::parse(model));
  }

  // Loads the stores and returns the one error reported (null on success).
  static platform::ErrorPtr load(PersistentContainer& container) {
    platform::ErrorPtr reported;
    int calls = 0;
    container.loadPersistentStores([&](const coredata::PersistentStoreDescription& description, platform::ErrorPtr error) {
      EXPECT_EQ(description.url, storeFile());
      reported = std::move(error);
      ++calls;
    });
    EXPECT_EQ(calls, 1);
    return reported;
  }

  static void insertItem(PersistentContainer& container, Date timestamp) {
    auto item = container.viewContext().insertNewObject("Item");
    ASSERT_NE(item, nullptr);
    item->setValue("timestamp", timestamp);
  }

  static std::vector<Date> timestamps(PersistentContainer& container, bool ascending = true) {
    auto items = container.viewContext().fetch(FetchRequest{"Item", {{"timestamp", ascending}}});
    EXPECT_TRUE(items) << items.error()->debugDescription();
    std::vector<Date> dates;
    for (const auto& item : items.value_or(std::vector<std::shared_ptr<ManagedObject>>{}))
      dates.push_back(std::get<Date>(item->value("timestamp")));
    return dates;
  }

  static std::set<std::filesystem::path> filesInStoreFolder() {
    std::set<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(PersistentContainer::defaultDirectoryURL()))
      files.insert(entry.path().filename());
    return files;
  }
};

TEST_F(ContainerTest, TheStoreLivesInTheProgramsDataFolder) {
  auto store = container();
  ASSERT_EQ(store->persistentStoreDescriptions().size(), 1u);
  EXPECT_EQ(store->persistentStoreDescriptions()[0].url,
            platform::paths::applicationSupport() / platform::Bundle::main().bundleIdentifier() / "quorbel.sqlite");
  EXPECT_EQ(load(*store), nullptr);
  EXPECT_TRUE(std::filesystem::is_regular_file(storeFile()));
}

TEST_F(ContainerTest, TheStoreAndItsFolderAreTheUsersAloneWhateverTheUmask) {
  const mode_t previous = ::umask(0);
  auto store = container();
  const auto error = load(*store);
  ::umask(previous);
  ASSERT_EQ(error, nullptr);
  insertItem(*store, at(1000s));
  ASSERT_TRUE(store->viewContext().save());
  EXPECT_EQ(std::filesystem::status(storeFile().parent_path()).permissions(), std::filesystem::perms::owner_all);
  EXPECT_EQ(std::filesystem::status(storeFile()).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(ContainerTest, SavedObjectsComeBackInOrder) {
  auto store = container();
  ASSERT_EQ(load(*store), nullptr);
  insertItem(*store, at(3000s));
  insertItem(*store, at(1000s));
  insertItem(*store, at(2000s));
  EXPECT_TRUE(store->viewContext().hasChanges());
  ASSERT_TRUE(store->viewContext().save());
  EXPECT_FALSE(store->viewContext().hasChanges());
  EXPECT_EQ(timestamps(*store), (std::vector{at(1000s), at(2000s), at(3000s)}));
  EXPECT_EQ(timestamps(*store, false), (std::vector{at(3000s), at(2000s), at(1000s)}));
}

TEST_F(ContainerTest, AnObjectWithoutValueHasNone) {
  auto store = container();
  ASSERT_EQ(load(*store), nullptr);
  store->viewContext().insertNewObject("Item");
  ASSERT_TRUE(store->viewContext().save());
  auto items = store->viewContext().fetch(FetchRequest{"Item", {}});
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 1u);
  EXPECT_TRUE(std::holds_alternative<std::monostate>((*items)[0]->value("timestamp")));
  EXPECT_TRUE((*items)[0]->objectID().has_value());
}

// Another program (or an older one) may leave dates in the file that no
// clock can tell: they read as the latest or earliest time there is.
TEST_F(ContainerTest, DatesBeyondTheClocksRangeReadAsItsEnds) {
  {
    auto store = container();
    ASSERT_EQ(load(*store), nullptr);
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(storeFile().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "INSERT INTO \"Item\" (\"timestamp\") VALUES (-1e300), (9e999), (1e300), (-9e999), (0)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  auto store = container();
  ASSERT_EQ(load(*store), nullptr);
  const Date reference = at(978307200s);
  EXPECT_EQ(timestamps(*store), (std::vector{Date::min(), Date::min(), reference, Date::max(), Date::max()}));
}

TEST_F(ContainerTest, ChangesOfFetchedObjectsAreSaved) {
  auto store = container();
  ASSERT_EQ(load(*store), nullptr);
  insertItem(*store, at(10s));
  ASSERT_TRUE(store->viewContext().save());
  auto items = store->viewContext().fetch(FetchRequest{"Item", {}});
  ASSERT_TRUE(items && items->size() == 1);
  (*items)[0]->setValue("timestamp", at(20s));
  ASSERT_TRUE(store->viewContext().save());
  auto reopened = container();
  ASSERT_EQ(load(*reopened), nullptr);
  EXPECT_EQ(timestamps(*reopened), std::vector{at(20s)});
}

TEST_F(ContainerTest, ASecondStartFindsTheSameStore) {
  {
    auto first = container();
    ASSERT_EQ(load(*first), nullptr);
    insertItem(*first, at(42s));
    ASSERT_TRUE(first->viewContext().save());
  }
  auto second = container();
  ASSERT_EQ(load(*second), nullptr);
  EXPECT_EQ(timestamps(*second), std::vector{at(42s)});
}

TEST_F(ContainerTest, TwoContainersUseTheStoreAtOnce) {
  auto one = container();
  auto two = container();
  ASSERT_EQ(load(*one), nullptr);
  ASSERT_EQ(load(*two), nullptr);
  insertItem(*one, at(1s));
  ASSERT_TRUE(one->viewContext().save());
  insertItem(*two, at(2s));
  ASSERT_TRUE(two->viewContext().save());
  // Every fetch reads the store, so each sees what the other saved.
  EXPECT_EQ(timestamps(*one), (std::vector{at(1s), at(2s)}));
  EXPECT_EQ(timestamps(*two), (std::vector{at(1s), at(2s)}));
}

TEST_F(ContainerTest, TwoProcessesWriteTheStoreAtOnce) {
  constexpr int kEach = 40;
  auto writeItems = [](int offset) {
    auto store = container();
    if (load(*store)) return false;
    for (int i = 0; i < kEach; ++i) {
      store->viewContext().insertNewObject("Item")->setValue("timestamp", at(std::chrono::seconds(offset + i)));
      if (!store->viewContext().save()) return false;
    }
    return true;
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(writeItems(1000) ? 0 : 1);
  EXPECT_TRUE(writeItems(0));
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  auto store = container();
  ASSERT_EQ(load(*store), nullptr);
  EXPECT_EQ(timestamps(*store).size(), 2u * kEach);
}

TEST_F(ContainerTest, TheModelComesFromTheBundle) {
  std::filesystem::create_directories(modelResource().parent_path());
  test_support::TempDir scratch;
  std::filesystem::copy_file(scratch.write("model", coredata_test::kItemModel), modelResource());
  PersistentContainer store("quorbel");
  ASSERT_NE(store.managedObjectModel(), nullptr);
  EXPECT_NE(store.managedObjectModel()->entity("Item"), nullptr);
  EXPECT_EQ(load(store), nullptr);
}

TEST_F(ContainerTest, WithoutItsModelNoStoreIsMade) {
  PersistentContainer store("quorbel");
  EXPECT_EQ(store.managedObjectModel(), nullptr);
  auto error = load(store);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), coredata::ManagedObjectModelLoadError);
  EXPECT_FALSE(std::filesystem::exists(storeFile()));
  EXPECT_EQ(store.viewContext().insertNewObject("Item"), nullptr);
  EXPECT_FALSE(store.viewContext().fetch(FetchRequest{"Item", {}}));
}

// A store written with another model; its bytes, with no file left behind.
std::string storeOfAnotherModel() {
  const char* model =
      "<plist version=\"1.0\"><dict><key>entities</key><array><dict><key>name</key><string>Item</string>"
      "<key>attributes</key><array><dict><key>name</key><string>timestamp</string><key>type</key>"
      "<string>string</string></dict></array></dict></array></dict></plist>";
  auto file = PersistentContainer::defaultDirectoryURL() / "quorbel.sqlite";
  {
    PersistentContainer store("quorbel", ManagedObjectModel::parse(model));
    store.loadPersistentStores([](const auto&, const platform::ErrorPtr&) {});
  }  // closing the last connection folds the write-ahead log into the file
  auto bytes = test_support::readFile(file);
  std::filesystem::remove_all(file.parent_path());
  return bytes;
}

// Another program's SQLite database, with a table of its own.
std::string databaseOfAnotherProgram() {
  test_support::TempDir folder;
  auto file = folder.path() / "notes.sqlite";
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('keep me');", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return test_support::readFile(file);
}

std::string notADatabase() { return std::string("my notes, not a database\n") + std::string(4096, 'x'); }

struct UnusableFile {
  const char* name;
  std::string (*contents)();
  long code;
};

// Named in test listings by its case name, not by its bytes.
void PrintTo(const UnusableFile& c, std::ostream* os) { *os << c.name; }

class UnusableStoreFile : public ContainerTest, public ::testing::WithParamInterface<UnusableFile> {};

// What the file holds is somebody's data: it is refused, never replaced.
TEST_P(UnusableStoreFile, IsRefusedAndLeftAsItWas) {
  const std::string contents = GetParam().contents();
  ASSERT_FALSE(contents.empty());
  std::filesystem::create_directories(storeFile().parent_path());
  {
    std::ofstream out(storeFile(), std::ios::binary);
    out << contents;
  }
  auto before = filesInStoreFolder();
  auto store = container();
  auto error = load(*store);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->domain(), coredata::kErrorDomain);
  EXPECT_EQ(error->code(), GetParam().code);
  EXPECT_NE(error->userInfoDescription().find(storeFile().string()), std::string::npos);
  store.reset();
  EXPECT_EQ(test_support::readFile(storeFile()), contents);
  EXPECT_EQ(filesInStoreFolder(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Container, UnusableStoreFile,
    ::testing::Values(UnusableFile{"NotADatabase", notADatabase, coredata::PersistentStoreOpenError},
                      UnusableFile{"DatabaseOfAnotherProgram", databaseOfAnotherProgram, coredata::PersistentStoreOpenError},
                      UnusableFile{"StoreOfAnotherModel", storeOfAnotherModel,
                                   coredata::PersistentStoreIncompatibleVersionHashError}),
    [](const ::testing::TestParamInfo<UnusableFile>& info) { return std::string(info.param.name); });

// What a load reported, seen from a process of its own (run as "nobody" when
// the test runs as root, whom no permission stops).
struct LoadReport {
  bool loaded = false;
  long code = 0;
  std::string text;  // the description, then the user information
};

LoadReport loadAsAnotherUser(std::optional<uid_t> user) {
  int report[2];
  if (pipe(report) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    if (user && (setgid(*user) != 0 || setuid(*user) != 0)) _exit(2);
    PersistentContainer store("quorbel", ManagedObjectModel::parse(coredata_test::kItemModel));
    platform::ErrorPtr error;
    store.loadPersistentStores([&](const auto&, platform::ErrorPtr reported) { error = std::move(reported); });
    const std::string text =
        error ? std::to_string(error->code()) + "\n" + error->localizedDescription() + "\n" + error->userInfoDescription()
              : "0\n";
    (void)!write(report[1], text.data(), text.size());
    _exit(0);
  }
  close(report[1]);
  std::string text;
  char buffer[512];
  for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(got));
  close(report[0]);
  waitpid(child, nullptr, 0);
  LoadReport result;
  result.code = std::strtol(text.c_str(), nullptr, 10);
  result.loaded = result.code == 0;
  result.text = text.substr(std::min(text.size(), text.find('\n') + 1));
  return result;
}

// Where the store cannot be written: its folder (with a store in it or not
// yet), or the store file itself.
struct Unwritable {
  const char* name;
  bool storeExists;
  bool folderWritable;
  const char* reason;
};
void PrintTo(const Unwritable& u, std::ostream* os) { *os << u.name; }

class UnwritableStore : public ContainerTest, public ::testing::WithParamInterface<Unwritable> {};

// Said to be unopenable, with the reason, never "not a store"; the file is
// kept as it was and nothing is added beside it.
TEST_P(UnwritableStore, CannotBeOpenedAndSaysWhy) {
  const auto& u = GetParam();
  const auto folder = storeFile().parent_path();
  std::filesystem::create_directories(folder);
  if (u.storeExists) {
    auto store = container();
    ASSERT_EQ(load(*store), nullptr);
    insertItem(*store, at(1000s));
    ASSERT_TRUE(store->viewContext().save());
  }
  const std::string before = test_support::readFile(storeFile());
  const auto filesBefore = filesInStoreFolder();

  // Root writes everywhere, so the loading then runs as "nobody", to whom the
  // data folder, the store's folder and file are given, with the folder above
  // open to it. The folders stay closed to others: the programs would take
  // others' rights to their own folders away.
  const bool asRoot = geteuid() == 0;
  std::vector<std::pair<std::filesystem::path, std::filesystem::perms>> restore;
  auto setPermissions = [&](const std::filesystem::path& path, std::filesystem::perms perms) {
    restore.emplace_back(path, std::filesystem::status(path).permissions());
    std::filesystem::permissions(path, perms);
  };
  std::vector<std::filesystem::path> givenAway;
  using std::filesystem::perms;
  if (asRoot) {
    const auto above = test_support::IsolatedEnvironment::root();
    setPermissions(above, std::filesystem::status(above).permissions() | perms::others_exec);
    for (const auto& path : {folder.parent_path(), folder, storeFile()})
      if (std::filesystem::exists(path)) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << path;
        givenAway.push_back(path);
      }
  }
  setPermissions(folder, u.folderWritable ? perms::owner_all : perms::owner_read | perms::owner_exec);
  if (u.storeExists) setPermissions(storeFile(), perms::owner_read);
  const LoadReport report = loadAsAnotherUser(asRoot ? std::optional<uid_t>(65534) : std::nullopt);
  for (auto it = restore.rbegin(); it != restore.rend(); ++it) std::filesystem::permissions(it->first, it->second);
  for (const auto& path : givenAway) EXPECT_EQ(::chown(path.c_str(), ::geteuid(), ::getegid()), 0) << path;

  EXPECT_FALSE(report.loaded);
  EXPECT_EQ(report.code, coredata::PersistentStoreOpenError);
  EXPECT_TRUE(report.text.starts_with("The store could not be opened.")) << report.text;
  EXPECT_NE(report.text.find(u.reason), std::string::npos) << report.text;
  EXPECT_EQ(report.text.find("not a store"), std::string::npos) << report.text;
  EXPECT_EQ(test_support::readFile(storeFile()), before);
  EXPECT_EQ(filesInStoreFolder(), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Container, UnwritableStore,
    ::testing::Values(Unwritable{"FolderWithoutAStore", false, false, "its folder "},
                      Unwritable{"FolderHoldingAStore", true, false, "its folder "},
                      Unwritable{"StoreFile", true, true, "the file cannot be written"}),
    [](const auto& info) { return std::string(info.param.name); });

// The data root ($XDG_DATA_HOME) as its user made it: its mode stays, and
// one through which another user could replace the store gets nothing made
// in it and stops the load with the reason.
struct DataRoot {
  const char* name;
  mode_t mode;
  bool ownedByNobody;
  const char* refusal;  // nothing: the store is kept there
};
void PrintTo(const DataRoot& root, std::ostream* os) { *os << root.name; }

class DataRootTest : public ContainerTest, public ::testing::WithParamInterface<DataRoot> {};

TEST_P(DataRootTest, KeepsItsModeAndIsUsedOrRefusedWithNothingMadeInIt) {
  const auto& c = GetParam();
  test_support::TempDir home;
  const auto root = home.path() / "data";
  std::filesystem::create_directory(root);
  if (c.ownedByNobody && (::geteuid() == 0 ? ::chown(root.c_str(), 65534, 65534) : -1) != 0)
    GTEST_SKIP() << "only root can give a folder away";
  ASSERT_EQ(::chmod(root.c_str(), c.mode), 0);
  test_support::ScopedEnv data("XDG_DATA_HOME", root.string());

  auto store = container();
  const auto error = load(*store);
  struct stat status {};
  ASSERT_EQ(::stat(root.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, c.mode);
  if (!c.refusal) {
    ASSERT_EQ(error, nullptr) << error->debugDescription();
    EXPECT_EQ(std::filesystem::status(storeFile().parent_path()).permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(std::filesystem::status(storeFile()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return;
  }
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), coredata::PersistentStoreOpenError);
  EXPECT_TRUE(error->localizedDescription().starts_with("The folder " + root.string() + " " + c.refusal))
      << error->localizedDescription();
  EXPECT_NE(error->localizedDescription().find("set XDG_DATA_HOME to a folder of your own"), std::string::npos);
  EXPECT_NE(error->userInfoDescription().find(storeFile().string()), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(root));
}

INSTANTIATE_TEST_SUITE_P(
    Container, DataRootTest,
    ::testing::Values(DataRoot{"StickyAndWritableByAll1777", 01777, false, nullptr},
                      DataRoot{"WritableByAll0777", 0777, false, "is writable by others"},
                      DataRoot{"OfAnotherUser0755", 0755, true, "belongs to another user"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContainerTest, AFolderInPlaceOfTheStoreIsRefused) {
  std::filesystem::create_directories(storeFile());
  auto store = container();
  auto error = load(*store);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), coredata::PersistentStoreOpenError);
  EXPECT_TRUE(std::filesystem::is_directory(storeFile()));
}

TEST_F(ContainerTest, FetchesNameAnEntityAndItsAttributes) {
  auto store = container();
  ASSERT_EQ(load(*store), nullptr);
  EXPECT_FALSE(store->viewContext().fetch(FetchRequest{"Note", {}}));
  EXPECT_FALSE(store->viewContext().fetch(FetchRequest{"Item", {{"title", true}}}));
  EXPECT_EQ(store->viewContext().insertNewObject("Note"), nullptr);
  auto item = store->viewContext().insertNewObject("Item");
  EXPECT_THROW(item->setValue("title", std::string("x")), std::invalid_argument);
  EXPECT_THROW(item->setValue("timestamp", std::string("yesterday")), std::invalid_argument);
  EXPECT_THROW(item->value("title"), std::invalid_argument);
}

}  // namespace
