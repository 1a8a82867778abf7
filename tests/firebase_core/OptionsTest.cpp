#include <gtest/gtest.h>

#include <fstream>

#include "CoreTestEnvironment.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRException.hpp"
#include "firebase_core/FIROptions.hpp"

namespace firebase {
namespace {

using platform::PropertyValue;
using testing::CoreTest;

class OptionsTest : public CoreTest {
 protected:
  // Configuring without a usable options file raises with this reason.
  void expectConfigureRefused() {
    try {
      FIRApp::configure();
      FAIL() << "configure accepted a missing options file";
    } catch (const FIRException& e) {
      EXPECT_EQ(e.name(), "com.firebase.core");
      EXPECT_EQ(e.reason(),
                "`FirebaseApp.configure()` could not find a valid GoogleService-Info.plist in your project. Please "
                "download one from https://console.firebase.google.com/.");
    }
    EXPECT_EQ(FIRApp::defaultAppIfConfigured(), nullptr);
  }
};

TEST_F(OptionsTest, LoadsFromXMLAndBinaryPropertyLists) {
  for (bool binary : {false, true}) {
    FIROptions::resetDefaultOptions();
    writeOptionsFile(sampleOptions(), binary);
    auto options = FIROptions::defaultOptions();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->APIKey(), "AIzaSyTest-Key_0123456789abcdefghijklm");
    EXPECT_EQ(options->projectID(), "quorbel-test");
    EXPECT_EQ(options->googleAppID(), "1:123456789012:ios:0a1b2c3d4e5f60718293a4");
    EXPECT_EQ(options->GCMSenderID(), "123456789012");
    EXPECT_EQ(options->bundleID(), "tesvarin.quorbel");
    EXPECT_EQ(options->storageBucket(), "quorbel-test.appspot.com");
    EXPECT_FALSE(options->clientID().has_value());
    EXPECT_TRUE(options->usingOptionsFromDefaultPlist());
    EXPECT_EQ(FIROptions::defaultOptions(), options);  // the same object each time
  }
}

TEST_F(OptionsTest, MissingFileIsLoggedOnceAndRefusesConfiguration) {
  EXPECT_EQ(FIROptions::defaultOptions(), nullptr);
  EXPECT_EQ(FIROptions::defaultOptions(), nullptr);
  EXPECT_EQ(
      linesWithCode("I-COR000012"),
      (std::vector<std::string>{
          "11.12.0 - [FirebaseCore][I-COR000012] Could not locate configuration file: 'GoogleService-Info.plist'."}));
  expectConfigureRefused();
}

TEST_F(OptionsTest, NonDictionaryOrUnreadableFilesAreLoggedAndRefuseConfiguration) {
  const auto file = bundle_ / "Resources" / "GoogleService-Info.plist";
  struct Case {
    const char* name;
    std::function<void()> write;
    const char* code;
  };
  const Case cases[] = {
      {"array",
       [&] {
         writeOptionsFile(PropertyValue::Array{"API_KEY", "x"});
       },
       "I-COR000011"},
      {"binary array",
       [&] {
         writeOptionsFile(PropertyValue::Array{1, 2}, true);
       },
       "I-COR000011"},
      {"garbage", [&] { std::ofstream(file) << "<plist><dict"; }, "I-COR000011"},
      // Not a file at all, so not found.
      {"folder",
       [&] {
         std::filesystem::remove(file);
         std::filesystem::create_directory(file);
       },
       "I-COR000012"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FIROptions::resetDefaultOptions();
    const auto before = linesWithCode(c.code).size();
    c.write();
    EXPECT_EQ(FIROptions::defaultOptions(), nullptr);
    EXPECT_EQ(linesWithCode(c.code).size(), before + 1);
    expectConfigureRefused();
  }
  EXPECT_EQ(linesWithCode("I-COR000011").front(),
            "11.12.0 - [FirebaseCore][I-COR000011] The configuration file is not a dictionary: "
            "'GoogleService-Info.plist'.");
}

TEST_F(OptionsTest, ValuesOfTheWrongTypeCountAsAbsent) {
  auto dictionary = sampleOptions();
  dictionary["API_KEY"] = 12345;
  dictionary["PROJECT_ID"] = PropertyValue::Array{"quorbel"};
  dictionary["GOOGLE_APP_ID"] = PropertyValue::Dictionary{{"id", "1:1:ios:a"}};
  FIROptions options(dictionary);
  EXPECT_FALSE(options.APIKey().has_value());
  EXPECT_FALSE(options.projectID().has_value());
  EXPECT_FALSE(options.googleAppID().has_value());
  EXPECT_EQ(options.bundleID(), "tesvarin.quorbel");
}

TEST_F(OptionsTest, OptionsFromOneFileAreEqualUntilOneChanges) {
  writeOptionsFile(sampleOptions());
  const auto path = bundle_ / "Resources" / "GoogleService-Info.plist";
  auto first = FIROptions::optionsWithContentsOfFile(path);
  auto second = FIROptions::optionsWithContentsOfFile(path);
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(first->usingOptionsFromDefaultPlist());
  EXPECT_TRUE(*first == *second);
  second->setDeepLinkURLScheme("quorbel");
  EXPECT_FALSE(*first == *second);

  EXPECT_FALSE(FIROptions::optionsWithContentsOfFile(root_ / "missing.plist").has_value());
  EXPECT_EQ(linesWithCode("I-COR000014").size(), 1u);
}

TEST_F(OptionsTest, AnAppsOptionsAreLockedButTheCallersStayEditable) {
  FIROptions mine(sampleOptions());
  FIRApp::configureWithOptions(mine);
  auto locked = FIRApp::defaultApp()->options();
  EXPECT_TRUE(locked.editingLocked());
  try {
    locked.setAPIKey("other");
    FAIL();
  } catch (const FIRException& e) {
    EXPECT_EQ(e.reason(),
              "Attempted to modify options after it's set on FIRApp. Please modify all properties before initializing "
              "FIRApp.");
  }
  EXPECT_THROW(locked.setAppGroupID("group"), FIRException);
  mine.setAPIKey("other");
  EXPECT_EQ(mine.APIKey(), "other");
  EXPECT_EQ(FIRApp::defaultApp()->options().APIKey(), "AIzaSyTest-Key_0123456789abcdefghijklm");
}

TEST_F(OptionsTest, CodeMadeOptionsAndVersionID) {
  FIROptions options("1:1:ios:ab", "42");
  EXPECT_EQ(options.googleAppID(), "1:1:ios:ab");
  EXPECT_EQ(options.GCMSenderID(), "42");
  EXPECT_EQ(options.bundleID(), "tesvarin.quorbel");
  EXPECT_EQ(FIROptions::libraryVersionID(), "111200000");
}

TEST_F(OptionsTest, AnalyticsKeysComeFromTheInfoListFirst) {
  EXPECT_FALSE(FIROptions(sampleOptions()).isAnalyticsCollectionExplicitlySet());
  writeInfo({{"CFBundleIdentifier", "tesvarin.quorbel"}, {"FIREBASE_ANALYTICS_COLLECTION_ENABLED", false}});
  auto dictionary = sampleOptions();
  dictionary["FIREBASE_ANALYTICS_COLLECTION_ENABLED"] = true;
  dictionary["IS_MEASUREMENT_ENABLED"] = true;
  FIROptions options(dictionary);
  EXPECT_FALSE(options.isAnalyticsCollectionEnabled());
  EXPECT_TRUE(options.isMeasurementEnabled());
  EXPECT_TRUE(options.isAnalyticsCollectionExplicitlySet());
  EXPECT_FALSE(options.isAnalyticsCollectionDeactivated());
}

}  // namespace
}  // namespace firebase
