#include <gtest/gtest.h>

#include <any>
#include <atomic>
#include <thread>

#include "CoreTestEnvironment.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRException.hpp"
#include "firebase_core/FIRLogger.hpp"
#include "foundation/NotificationCenter.hpp"
#include "foundation/UserDefaults.hpp"

namespace firebase {
namespace {

using platform::NotificationCenter;
using platform::PropertyValue;
using testing::CoreTest;

constexpr const char* kDataCollectionKey = "/google/firebase/global_data_collection_enabled:__FIRAPP_DEFAULT";

class AppTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    FIRSetLoggerLevel(kGULLoggerLevelDebug);
  }

  static FIROptions optionsWith(const std::string& key, PropertyValue value) {
    auto dictionary = sampleOptions();
    dictionary[key] = std::move(value);
    return FIROptions(dictionary);
  }

  static std::string reasonOf(const std::function<void()>& work) {
    try {
      work();
    } catch (const FIRException& e) {
      EXPECT_EQ(e.name(), "com.firebase.core");
      return e.reason();
    }
    return "no exception";
  }

  void enterAppExtension() {
    writeInfo({{"CFBundleIdentifier", "tesvarin.quorbel.extension"}, {"NSExtension", PropertyValue::Dictionary{}}});
  }
};

TEST_F(AppTest, ConfiguresTheDefaultAppFromTheBundle) {
  writeOptionsFile(sampleOptions());
  FIRApp::configure();
  auto app = FIRApp::defaultApp();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->name(), "__FIRAPP_DEFAULT");
  EXPECT_TRUE(app->isDefaultApp());
  EXPECT_EQ(app->options().projectID(), "quorbel-test");
  EXPECT_EQ(app->options().APIKey(), "AIzaSyTest-Key_0123456789abcdefghijklm");
  EXPECT_EQ(FIRApp::appNamed("__FIRAPP_DEFAULT"), app);
  ASSERT_TRUE(FIRApp::allApps().has_value());
  EXPECT_EQ(FIRApp::allApps()->size(), 1u);
  EXPECT_EQ(linesWithCode("I-COR000001"),
            (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000001] Configuring the default app."}));
  EXPECT_TRUE(linesWithCode("I-COR000008").empty());
}

TEST_F(AppTest, TheSampleOptionsListConfiguresTheDefaultApp) {
  std::filesystem::copy_file(QUORBEL_SAMPLE_OPTIONS_LIST, bundle_ / "Resources" / "GoogleService-Info.plist");
  FIRApp::configure();
  const auto options = FIRApp::defaultApp()->options();
  EXPECT_TRUE(options.projectID().has_value());
  EXPECT_TRUE(options.APIKey().has_value());
  EXPECT_TRUE(linesWithCode("I-COR000008").empty());
}

TEST_F(AppTest, LookupsBeforeConfigurationAnswerNothingAndLogErrors) {
  EXPECT_EQ(FIRApp::defaultApp(), nullptr);
  EXPECT_EQ(FIRApp::appNamed("mail"), nullptr);
  EXPECT_FALSE(FIRApp::allApps().has_value());
  EXPECT_FALSE(FIRApp::isDefaultAppConfigured());
  EXPECT_EQ(linesWithCode("I-COR000003"),
            (std::vector<std::string>{
                "11.12.0 - [FirebaseCore][I-COR000003] The default Firebase app has not yet been configured. Add "
                "`FirebaseApp.configure()` to your application initialization. This can be done in in the App "
                "Delegate's application(_:didFinishLaunchingWithOptions:)` (or the `@main` struct's initializer in "
                "SwiftUI). Read more: https://firebase.google.com/docs/ios/setup"}));
  EXPECT_EQ(linesWithCode("I-COR000004"),
            (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000004] App with name mail does not exist."}));
  EXPECT_EQ(linesWithCode("I-COR000005"),
            (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000005] No app has been configured yet."}));
}

TEST_F(AppTest, ASecondConfigurationOutsideAnExtensionRaises) {
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  EXPECT_EQ(reasonOf([] { FIRApp::configureWithOptions(FIROptions(sampleOptions())); }),
            "Default app has already been configured.");
  FIRApp::configureWithName("mail", FIROptions(sampleOptions()));
  EXPECT_EQ(reasonOf([] { FIRApp::configureWithName("mail", FIROptions(sampleOptions())); }),
            "App named mail has already been configured.");
}

TEST_F(AppTest, ASecondConfigurationInAnExtensionIsIgnoredWhenTheOptionsAreEqual) {
  enterAppExtension();
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  auto first = FIRApp::defaultApp();
  EXPECT_NO_THROW(FIRApp::configureWithOptions(FIROptions(sampleOptions())));
  EXPECT_EQ(FIRApp::defaultApp(), first);
  EXPECT_EQ(linesWithCode("I-COR000035"),
            (std::vector<std::string>{
                "11.12.0 - [FirebaseCore][I-COR000035] Ignoring second `configure` call in an extension."}));
  EXPECT_EQ(reasonOf([] { FIRApp::configureWithOptions(optionsWith("API_KEY", "another key")); }),
            "App named __FIRAPP_DEFAULT has already been configured.");
}

TEST_F(AppTest, ARejectedAppIDLeavesNoAppBehind) {
  EXPECT_EQ(reasonOf([] { FIRApp::configureWithOptions(optionsWith("GOOGLE_APP_ID", "1:123:macos:abc")); }),
            "Configuration fails. It may be caused by an invalid GOOGLE_APP_ID in GoogleService-Info.plist or set in "
            "the customized options.");
  EXPECT_EQ(FIRApp::defaultAppIfConfigured(), nullptr);
  EXPECT_FALSE(FIRApp::allApps().has_value());
  EXPECT_EQ(linesWithCode("I-COR000009").size(), 1u);

  // A wrong-typed identifier is no identifier.
  EXPECT_THROW(FIRApp::configureWithOptions(optionsWith("GOOGLE_APP_ID", 1234)), FIRException);
  EXPECT_EQ(FIRApp::defaultAppIfConfigured(), nullptr);

  // Nothing half-configured stands in the way of a good configuration.
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  EXPECT_NE(FIRApp::defaultApp(), nullptr);
}

TEST_F(AppTest, AppNamesAreChecked) {
  EXPECT_EQ(reasonOf([] { FIRApp::configureWithName("", FIROptions(sampleOptions())); }), "Name cannot be empty.");
  for (const char* bad : {"my app", "mail/1", "a.b", "x\n"}) {
    EXPECT_EQ(reasonOf([&] { FIRApp::configureWithName(bad, FIROptions(sampleOptions())); }),
              "App name can only contain alphanumeric, hyphen (-), and underscore (_) characters")
        << bad;
  }
  FIRApp::configureWithName("Mail-app_2", FIROptions(sampleOptions()));
  FIRApp::configureWithName("Écrire", FIROptions(sampleOptions()));
  EXPECT_NE(FIRApp::appNamed("Mail-app_2"), nullptr);
  EXPECT_FALSE(FIRApp::appNamed("Mail-app_2")->isDefaultApp());
  EXPECT_EQ(linesWithCode("I-COR000002").front(),
            "11.12.0 - [FirebaseCore][I-COR000002] Configuring app named Mail-app_2");
}

TEST_F(AppTest, DataCollectionSwitch) {
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  auto app = FIRApp::defaultApp();
  auto& defaults = platform::UserDefaults::standard();
  EXPECT_TRUE(app->isDataCollectionDefaultEnabled());

  defaults.set(kDataCollectionKey, "NO");  // not a number: ignored
  EXPECT_TRUE(app->isDataCollectionDefaultEnabled());

  writeInfo({{"CFBundleIdentifier", "tesvarin.quorbel"}, {"FirebaseDataCollectionDefaultEnabled", false}});
  EXPECT_FALSE(app->isDataCollectionDefaultEnabled());

  app->setDataCollectionDefaultEnabled(true);
  EXPECT_EQ(defaults.object(kDataCollectionKey), PropertyValue(true));
  EXPECT_TRUE(app->isDataCollectionDefaultEnabled());
  app->setDataCollectionDefaultEnabled(false);
  EXPECT_FALSE(app->isDataCollectionDefaultEnabled());
}

TEST_F(AppTest, ReadyAndDeleteNotificationsCarryTheApp) {
  std::vector<platform::Notification> received;
  auto& center = NotificationCenter::defaultCenter();
  const auto readyToken = center.addObserver(FIRApp::kReadyToConfigureSDKNotification, FIRApp::notificationSender(),
                                             [&](const platform::Notification& n) { received.push_back(n); });
  const auto deleteToken = center.addObserver(FIRApp::kDeleteNotification, FIRApp::notificationSender(),
                                              [&](const platform::Notification& n) { received.push_back(n); });
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  auto app = FIRApp::defaultApp();
  bool deleted = false;
  app->deleteApp([&](bool result) { deleted = result; });
  bool deletedAgain = true;
  app->deleteApp([&](bool result) { deletedAgain = result; });
  center.removeObserver(readyToken);
  center.removeObserver(deleteToken);

  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(std::any_cast<std::string>(received[0].userInfo.at("FIRAppNameKey")), "__FIRAPP_DEFAULT");
  EXPECT_TRUE(std::any_cast<bool>(received[0].userInfo.at("FIRAppIsDefaultAppKey")));
  EXPECT_EQ(std::any_cast<std::string>(received[0].userInfo.at("FIRGoogleAppIDKey")),
            "1:123456789012:ios:0a1b2c3d4e5f60718293a4");
  EXPECT_EQ(received[1].name, "FIRAppDeleteNotification");
  EXPECT_EQ(std::any_cast<std::string>(received[1].userInfo.at("FIRAppNameKey")), "__FIRAPP_DEFAULT");
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(deletedAgain);
  EXPECT_EQ(FIRApp::defaultAppIfConfigured(), nullptr);
  EXPECT_EQ(linesWithCode("I-COR000006"),
            (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000006] Deleting app named __FIRAPP_DEFAULT"}));
  EXPECT_EQ(linesWithCode("I-COR000007"),
            (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000007] App does not exist."}));
}

TEST_F(AppTest, DeletingAStaleAppLeavesTheNewerAppOfItsName) {
  for (const std::string& name : {std::string(FIRApp::kDefaultAppName), std::string("a")}) {
    SCOPED_TRACE(name);
    FIRApp::configureWithName(name, FIROptions(sampleOptions()));
    auto stale = FIRApp::appNamed(name);
    stale->deleteApp([](bool) {});
    FIRApp::configureWithName(name, FIROptions(sampleOptions()));
    auto newer = FIRApp::appNamed(name);
    ASSERT_NE(newer, stale);

    bool deleted = true;
    stale->deleteApp([&](bool result) { deleted = result; });
    EXPECT_FALSE(deleted);
    EXPECT_EQ(FIRApp::appNamed(name), newer);
    if (newer->isDefaultApp()) {
      EXPECT_EQ(FIRApp::defaultAppIfConfigured(), newer);
    }

    newer->deleteApp([&](bool result) { deleted = result; });
    EXPECT_TRUE(deleted);
  }
}

TEST_F(AppTest, ActivationLogsAHeartbeatOnlyWhileCollectingAndRegistered) {
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  auto app = FIRApp::defaultApp();
  auto& center = NotificationCenter::defaultCenter();

  app->setDataCollectionDefaultEnabled(false);
  center.post(platform::kApplicationDidBecomeActiveNotification);
  EXPECT_FALSE(app->heartbeatLogger()->headerValue().has_value());

  app->setDataCollectionDefaultEnabled(true);
  center.post(platform::kApplicationDidBecomeActiveNotification);
  EXPECT_TRUE(app->heartbeatLogger()->headerValue().has_value());
  const auto storeFile = root_ / "data" / "tesvarin.quorbel" / "google-heartbeat-storage" /
                         "heartbeats-1_123456789012_ios_0a1b2c3d4e5f60718293a4";
  EXPECT_TRUE(std::filesystem::exists(storeFile));

  // Without its file the store would log again at once, were the deleted app
  // still listening.
  app->deleteApp([](bool) {});
  std::filesystem::remove(storeFile);
  center.post(platform::kApplicationDidBecomeActiveNotification);
  EXPECT_FALSE(app->heartbeatLogger()->headerValue().has_value());
}

TEST_F(AppTest, AMismatchedBundleIDOnlyLogs) {
  FIRApp::configureWithOptions(optionsWith("BUNDLE_ID", "com.example.other"));
  EXPECT_NE(FIRApp::defaultApp(), nullptr);
  const auto lines = linesWithCode("I-COR000008");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("you may change your app's bundle identifier to 'com.example.other'"), std::string::npos);
}

TEST_F(AppTest, ThreadsConfiguringAtOnceCreateOneDefaultApp) {
  constexpr int kThreads = 8;
  std::atomic<int> configured{0};
  std::atomic<int> refused{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      try {
        FIRApp::configureWithOptions(FIROptions(sampleOptions()));
        ++configured;
      } catch (const FIRException& e) {
        if (e.reason() == "Default app has already been configured.") ++refused;
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(configured, 1);
  EXPECT_EQ(refused, kThreads - 1);
  EXPECT_EQ(FIRApp::allApps()->size(), 1u);
  EXPECT_EQ(FIRApp::allApps()->at("__FIRAPP_DEFAULT"), FIRApp::defaultApp());
}

class VertexAIMarker : public FIRLibraryClass {
 public:
  std::string className() const override { return "FIRVertexAIComponent"; }
};

// The library classes are registered with the first configuration of a
// process; the fixture starts every test as a fresh process would.
TEST_F(AppTest, UserAgentNamesTheCoreAndDeclaredLibraries) {
  FIRLibraryClass::declare(std::make_shared<VertexAIMarker>());
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  const std::string agent = FIRApp::firebaseUserAgent();
  EXPECT_NE(agent.find("fire-ios/11.12.0"), std::string::npos);
  EXPECT_NE(agent.find("fire-vertex/11.12.0"), std::string::npos);

  FIRApp::registerLibrary("bad name", "1.0");
  EXPECT_EQ(FIRApp::firebaseUserAgent(), agent);
  EXPECT_EQ(linesWithCode("I-COR000027").size(), 1u);
  EXPECT_THROW(FIRApp::registerInternalLibrary(std::make_shared<VertexAIMarker>(), "fire-x"), std::invalid_argument);

  FIRApp::resetApps();
  EXPECT_EQ(FIRApp::firebaseUserAgent().find("fire-"), std::string::npos);
}

}  // namespace
}  // namespace firebase
