#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>

#include "RunningProgram.hpp"
#include "coredata/ManagedObjectModel.hpp"
#include "coredata/PersistentContainer.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"
#include "test_support/XMLPropertyList.hpp"

namespace {

using mervo_test::RunningProgram;

const std::filesystem::path kMervo = MERVO;
constexpr const char* kShown = "🪟 Mervo: Window shown at 800x600";

std::filesystem::path dataFolder() { return platform::paths::applicationSupport() / "tesvarin.quorbel"; }
std::filesystem::path storeFile() { return dataFolder() / "quorbel.sqlite"; }

platform::UserDefaults& mervoDefaults() { return **platform::UserDefaults::openSuite("tesvarin.quorbel"); }

// Every start begins without store, heartbeats or settings, and with a
// recent update check, so that no start reaches for the (made-up) feed.
class MervoProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    std::filesystem::remove_all(dataFolder());
    mervoDefaults().set("SULastCheckTime", platform::PropertyValue::Date::fromTimePoint(std::chrono::system_clock::now()));
    mervoDefaults().synchronize();
  }
  void TearDown() override { std::filesystem::remove_all(dataFolder()); }

  static std::string screenshot(const test_support::TempDir& folder) { return (folder.path() / "window.png").string(); }

  // Index of the first line holding `text` in the output, or -1.
  static long lineOf(const std::string& out, const std::string& text) {
    auto at = out.find(text);
    return at == std::string::npos ? -1 : static_cast<long>(std::count(out.begin(), out.begin() + at, '\n'));
  }
};

TEST_F(MervoProgramTest, StartsInOrderAndShowsItsWindow) {
  test_support::TempDir folder;
  test_support::ScopedEnv debug("DEBUG_LOGGING", "true");
  RunningProgram mervo(kMervo, {"--screenshot", screenshot(folder)});
  ASSERT_EQ(mervo.exitStatus(), 0) << mervo.err();
  const auto out = mervo.out();
  const long firebase = lineOf(out, "✅ Firebase configured in app init");
  const long loaded = lineOf(out, "📖 LLMProviderConfig: Configuration loaded from UserDefaults");
  const long policy = lineOf(out, "✅ Built-in AI has been set as the default LLM provider");
  const long shown = lineOf(out, kShown);
  EXPECT_EQ(firebase, 0) << out;
  EXPECT_GT(loaded, firebase) << out;
  EXPECT_GT(policy, loaded) << out;
  EXPECT_GT(shown, policy) << out;
  EXPECT_GT(std::filesystem::file_size(screenshot(folder)), 1000u);
  // The store was made where the application keeps its data.
  EXPECT_TRUE(std::filesystem::is_regular_file(storeFile()));
}

TEST_F(MervoProgramTest, EveryLaunchMakesTheBuiltInServiceCurrent) {
  for (auto* store : {&mervoDefaults(), platform::UserDefaults::suite("group.tesvarin.quorbel").get()}) {
    store->set("llm_provider", "ollama");
    store->set("llm_endpoint", "http://localhost:11434");
    store->synchronize();
  }
  test_support::TempDir folder;
  RunningProgram mervo(kMervo, {"--screenshot", screenshot(folder)});
  ASSERT_EQ(mervo.exitStatus(), 0) << mervo.err();
  platform::UserDefaults::resetForTesting();
  for (auto* store : {&mervoDefaults(), platform::UserDefaults::suite("group.tesvarin.quorbel").get()}) {
    EXPECT_EQ(store->string("llm_provider"), "gemini");
    EXPECT_EQ(store->string("llm_endpoint"), "");
    EXPECT_EQ(store->string("llm_model"), "gemini-2.0-flash-lite");
  }
}

// The window's first activation logs the day's heartbeat, which the
// heartbeat store writes to its file.
TEST_F(MervoProgramTest, WithoutArgumentsTheWindowOpensAndRecordsTheDaysHeartbeat) {
  RunningProgram mervo(kMervo, {});
  ASSERT_TRUE(mervo.waitForOutput(kShown)) << mervo.out() << mervo.err();
  // The store writes its file on a queue of its own, so it is waited for.
  const auto heartbeats = dataFolder() / "google-heartbeat-storage";
  const auto deadline = std::chrono::steady_clock::now() + test_support::kHangGuard;
  std::string logged;
  while (logged.find("\"date\"") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(heartbeats, ec))
      if (entry.path().filename().string().starts_with("heartbeats-") && entry.path().extension() != ".lock")
        logged = test_support::readFile(entry.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(logged.find("\"date\""), std::string::npos) << "no heartbeat logged under " << heartbeats << ": " << logged;
  EXPECT_NE(logged.find("\"agent\""), std::string::npos) << logged;
  mervo.terminate();
}

// Opens Mervo's store as another program would and hands it to `use`.
void withMervoStore(const std::function<void(coredata::PersistentContainer&)>& use) {
  test_support::TempDir bundle;
  bundle.write("Info.plist", test_support::xmlPropertyList(platform::PropertyValue(
                                 platform::PropertyValue::Dictionary{{"CFBundleIdentifier", "tesvarin.quorbel"}})).value());
  platform::Bundle::setMainBundlePath(bundle.path());
  coredata::PersistentContainer container("quorbel", coredata::ManagedObjectModel::load(std::filesystem::path(MERVO_MODEL)));
  platform::Bundle::setMainBundlePath(test_support::IsolatedEnvironment::bundlePath());
  platform::ErrorPtr loadError;
  container.loadPersistentStores([&](const auto&, platform::ErrorPtr error) { loadError = std::move(error); });
  ASSERT_EQ(loadError, nullptr) << loadError->debugDescription();
  use(container);
}

// Every file below a folder, with its contents.
std::map<std::filesystem::path, std::string> filesBelow(const std::filesystem::path& folder) {
  std::map<std::filesystem::path, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files[entry.path()] = test_support::readFile(entry.path());
  return files;
}

// A second start for the settings folder of a running Mervo: how it is
// started, what it says and how it ends.
struct SecondStartCase {
  const char* name;
  bool screenshot;
  int exitStatus;
  const char* says;  // on standard output, or on standard error when it took no picture
};
void PrintTo(const SecondStartCase& c, std::ostream* os) { *os << c.name; }

class MervoSecondStartTest : public MervoProgramTest, public ::testing::WithParamInterface<SecondStartCase> {};

// The running window chose OpenAI and saved it; a second start (a second
// launcher click, or a picture taken with the README's command) must not
// make the built-in service current again behind that window's back.
TEST_P(MervoSecondStartTest, HandsOverToTheRunningMervoAndLeavesItsSettingsAsTheyAre) {
  const auto& c = GetParam();
  RunningProgram first(kMervo, {});
  ASSERT_TRUE(first.waitForOutput(kShown)) << first.err();
  for (auto* store : {&mervoDefaults(), platform::UserDefaults::suite("group.tesvarin.quorbel").get()}) {
    store->set("llm_provider", "openai");
    store->set("llm_api_key", "sk-first-window");
    ASSERT_TRUE(store->synchronize());
  }
  const auto settings = filesBelow(platform::paths::configHome());

  test_support::TempDir folder;
  std::vector<std::string> arguments;
  if (c.screenshot) arguments = {"--screenshot", screenshot(folder)};
  RunningProgram second(kMervo, arguments);
  EXPECT_EQ(second.exitStatus(), c.exitStatus) << second.err();
  EXPECT_NE((c.screenshot ? second.err() : second.out()).find(c.says), std::string::npos) << second.out() << second.err();
  // None of the start ran: no configuration, no launch policy, no window.
  EXPECT_EQ(second.out().find("Firebase configured"), std::string::npos) << second.out();
  EXPECT_EQ(second.out().find("Built-in AI"), std::string::npos) << second.out();
  EXPECT_FALSE(std::filesystem::exists(screenshot(folder)));

  EXPECT_TRUE(first.waitForOutput("🪟 Mervo: Window brought to the front for another start")) << first.out();
  EXPECT_EQ(filesBelow(platform::paths::configHome()), settings);
  platform::UserDefaults::resetForTesting();
  EXPECT_EQ(platform::UserDefaults::suite("group.tesvarin.quorbel")->string("llm_provider"), "openai");
  first.terminate();
}

INSTANTIATE_TEST_SUITE_P(
    Starts, MervoSecondStartTest,
    ::testing::Values(SecondStartCase{"FromALauncher", false, 0, "🪟 Mervo: Already running for the settings in"},
                      SecondStartCase{"ForAScreenshot", true, 4, "no picture was taken"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MervoProgramTest, AKilledMervoDoesNotKeepTheNextStartOut) {
  RunningProgram killed(kMervo, {});
  ASSERT_TRUE(killed.waitForOutput(kShown)) << killed.err();
  killed.killAbruptly();
  test_support::TempDir folder;
  RunningProgram next(kMervo, {"--screenshot", screenshot(folder)});
  EXPECT_EQ(next.exitStatus(), 0) << next.err();
  EXPECT_NE(next.out().find(kShown), std::string::npos) << next.out();
  EXPECT_TRUE(std::filesystem::exists(screenshot(folder)));
}

// Two settings folders are two Mervos, each with its own settings, over the
// one object store of the data folder.
TEST_F(MervoProgramTest, TwoSettingsFoldersRunSideBySideOverOneStore) {
  RunningProgram first(kMervo, {});
  ASSERT_TRUE(first.waitForOutput(kShown)) << first.err();
  withMervoStore([](coredata::PersistentContainer& store) {
    store.viewContext().insertNewObject("Item")->setValue("timestamp", coredata::Date(std::chrono::seconds(7)));
    ASSERT_TRUE(store.viewContext().save());
  });
  test_support::TempDir otherSettings, folder;
  {
    test_support::ScopedEnv configHome("XDG_CONFIG_HOME", otherSettings.path().string());
    RunningProgram second(kMervo, {"--screenshot", screenshot(folder)});
    EXPECT_EQ(second.exitStatus(), 0) << second.err();
    EXPECT_NE(second.out().find("✅ Built-in AI has been set as the default LLM provider"), std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::exists(screenshot(folder)));
  EXPECT_TRUE(std::filesystem::exists(otherSettings.path() / "quorbel" / "preferences" / "group.tesvarin.quorbel.plist"));
  first.terminate();
  withMervoStore([](coredata::PersistentContainer& store) {
    auto items = store.viewContext().fetch(coredata::FetchRequest{"Item", {}});
    ASSERT_TRUE(items);
    EXPECT_EQ(items->size(), 1u);
  });
}

// A shared suite left unreadable (a typo in a hand-edited file) is never
// written over; the start's save of the built-in service says it did not
// land, and why, where it would say that it did.
TEST_F(MervoProgramTest, AnUnreadableSharedSuiteIsKeptAndTheLaunchSaveSaysItDidNotLand) {
  const auto suiteFile = platform::UserDefaults::fileForDomain("group.tesvarin.quorbel");
  const std::string handEdited = "<plist><dict><key>llm_provider</key><string>openai</dict></plist>";
  { std::ofstream(suiteFile) << handEdited; }
  test_support::ScopedEnv debug("DEBUG_LOGGING", "true");
  test_support::TempDir folder;
  RunningProgram mervo(kMervo, {"--screenshot", screenshot(folder), "--tab", "models"});
  ASSERT_EQ(mervo.exitStatus(), 0) << mervo.err();
  EXPECT_NE(mervo.out().find("❌ LLMProviderConfig: Failed to access shared UserDefaults with App Group: "
                             "group.tesvarin.quorbel"),
            std::string::npos)
      << mervo.out();
  EXPECT_EQ(mervo.out().find("💾 LLMProviderConfig: Settings saved to shared UserDefaults"), std::string::npos);
  EXPECT_EQ(mervo.out().find("✅ Built-in AI has been set as the default LLM provider"), std::string::npos)
      << mervo.out();
  EXPECT_NE(mervo.out().find("❌ Built-in AI could not be set as the default LLM provider: The settings file " +
                             suiteFile.string() + " is not a property list"),
            std::string::npos)
      << mervo.out();
  EXPECT_EQ(test_support::readFile(suiteFile), handEdited);
}

TEST_F(MervoProgramTest, AStoreThatCannotBeOpenedStopsTheStartAndIsKept) {
  std::filesystem::create_directories(dataFolder());
  const std::string notes = "these are my notes, not a store\n";
  {
    std::ofstream(storeFile(), std::ios::binary) << notes;
  }
  test_support::TempDir folder;
  RunningProgram mervo(kMervo, {"--screenshot", screenshot(folder)});
  EXPECT_NE(mervo.exitStatus(), 0);
  const auto err = mervo.err();
  EXPECT_NE(err.find("Fatal error: Unresolved error Error Domain=NSCocoaErrorDomain Code=134080"), std::string::npos) << err;
  EXPECT_NE(err.find(storeFile().string()), std::string::npos) << err;
  // The store comes first: nothing else of the start ran.
  EXPECT_EQ(mervo.out().find("Firebase configured"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(screenshot(folder)));
  EXPECT_EQ(test_support::readFile(storeFile()), notes);
}

TEST_F(MervoProgramTest, ABundleWithoutItsOptionsListStopsTheStart) {
  // A copy of the program beside a bundle that lacks the options list, in a
  // folder of this test's own.
  test_support::TempDir copyFolder;
  const auto& copies = copyFolder.path();
  std::filesystem::copy(kMervo.parent_path() / "Mervo.bundle", copies / "Mervo.bundle", std::filesystem::copy_options::recursive);
  std::filesystem::remove(copies / "Mervo.bundle" / "Resources" / "GoogleService-Info.plist");
  std::error_code linked;
  std::filesystem::create_hard_link(kMervo, copies / "Mervo", linked);
  if (linked) std::filesystem::copy_file(kMervo, copies / "Mervo");

  test_support::TempDir folder;
  RunningProgram mervo(copies / "Mervo", {"--screenshot", screenshot(folder)});
  EXPECT_NE(mervo.exitStatus(), 0);
  const auto err = mervo.err();
  EXPECT_NE(err.find("*** Terminating app due to uncaught exception 'com.firebase.core', reason: '"), std::string::npos)
      << err;
  EXPECT_EQ(mervo.out().find("Firebase configured"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(screenshot(folder)));
}

TEST_F(MervoProgramTest, WithoutADisplayItSaysSoInOneLineAndStops) {
  RunningProgram mervo(kMervo, {}, RunningProgram::Display::none);
  EXPECT_EQ(mervo.exitStatus(), 3);  // its own status, not a signal
  const auto err = mervo.err();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  for (const char* part : {"Mervo: no display was found: DISPLAY is not set", "defaults", "QT_QPA_PLATFORM=offscreen",
                           "--screenshot FILE.png"})
    EXPECT_NE(err.find(part), std::string::npos) << part << " in " << err;
  EXPECT_EQ(mervo.out().find("Firebase configured"), std::string::npos);
}

TEST_F(MervoProgramTest, UnknownArgumentsAreRefused) {
  RunningProgram mervo(kMervo, {"--tab"});
  EXPECT_EQ(mervo.exitStatus(), 2);
  EXPECT_NE(mervo.err().find("usage: Mervo"), std::string::npos);
}

}  // namespace
