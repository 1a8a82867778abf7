#include <gtest/gtest.h>

#include "CoreTestEnvironment.hpp"
#include "firebase_core/FIRConfiguration.hpp"
#include "firebase_core/FIRLogger.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/UserDefaults.hpp"

namespace firebase {
namespace {

using testing::CoreTest;

class LoggerTest : public CoreTest {
 protected:
  void launchWith(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "program");
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    platform::process_info::setArguments(static_cast<int>(argv.size()), argv.data());
    FIRLoggerResetForTesting();
  }
  std::vector<std::string> messages() {
    std::vector<std::string> all;
    for (const auto& line : loggedLines()) all.push_back(line.message);
    return all;
  }
};

TEST_F(LoggerTest, DefaultLevelWritesUpToNoticeInTheLineLayout) {
  launchWith({});
  for (int level = kGULLoggerLevelError; level <= kGULLoggerLevelDebug; ++level) {
    FIRLog(level, kFIRLoggerCore, "I-COR000099", "level {}", level);
  }
  EXPECT_EQ(messages(), (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000099] level 3",
                                                  "11.12.0 - [FirebaseCore][I-COR000099] level 4",
                                                  "11.12.0 - [FirebaseCore][I-COR000099] level 5"}));
  const auto lines = loggedLines();
  EXPECT_EQ(lines[0].subsystem, "com.google.firebase");
  EXPECT_EQ(lines[0].category, "[FirebaseCore]");
  EXPECT_EQ(lines[0].type, platform::LogType::error);
  EXPECT_EQ(lines[1].type, platform::LogType::defaultLevel);
}

TEST_F(LoggerTest, InvalidLevelsAreRefusedAndLogged) {
  launchWith({});
  FIRSetLoggerLevel(kGULLoggerLevelWarning);
  GULSetLoggerLevel(2);
  GULSetLoggerLevel(8);
  EXPECT_EQ(FIRGetLoggerLevel(), kGULLoggerLevelWarning);
  const auto lines = loggedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].subsystem, "com.google.utilities.logger");
  EXPECT_EQ(lines[0].category, "[GULLogger]");
  EXPECT_EQ(lines[0].message, "11.12.0 - [GULLogger][I-COR000023] Invalid logger level, 2");
  EXPECT_EQ(lines[1].message, "11.12.0 - [GULLogger][I-COR000023] Invalid logger level, 8");
  EXPECT_THROW(FIRConfiguration::sharedInstance().setLoggerLevel(9), std::invalid_argument);
}

TEST_F(LoggerTest, DebugSwitchPersistsUntilALaunchTurnsItOff) {
  auto& defaults = platform::UserDefaults::standard();
  launchWith({"-FIRDebugEnabled"});
  FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000098", "first");
  EXPECT_TRUE(defaults.boolean(kFIRPersistedDebugModeKey));

  launchWith({});
  FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000098", "second");

  launchWith({"-FIRDebugDisabled"});
  FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000098", "third");
  EXPECT_FALSE(defaults.object(kFIRPersistedDebugModeKey).has_value());

  EXPECT_EQ(messages(), (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000098] first",
                                                  "11.12.0 - [FirebaseCore][I-COR000098] second"}));
}

TEST_F(LoggerTest, PlainMessagesAreWrittenLiterallyAndInOrder) {
  launchWith({});
  FIRLogBasic(kGULLoggerLevelError, "[FirebaseVertexAI]", "I-VTX002003", "Model %@ said {}");
  for (int i = 0; i < 200; ++i) FIRLog(kGULLoggerLevelWarning, kFIRLoggerCore, "I-COR000097", "{}", i);
  const auto all = messages();
  ASSERT_EQ(all.size(), 201u);
  EXPECT_EQ(all[0], "11.12.0 - [FirebaseVertexAI][I-VTX002003] Model %@ said {}");
  for (int i = 0; i < 200; ++i) EXPECT_EQ(all[i + 1], "11.12.0 - [FirebaseCore][I-COR000097] " + std::to_string(i));
}

TEST_F(LoggerTest, AnalyticsDebugModeForcesOnlyAnalyticsLines) {
  launchWith({});
  FIRSetAnalyticsDebugMode(true);
  FIRLog(kGULLoggerLevelDebug, kFIRLoggerAnalytics, "I-ACS000001", "analytics");
  FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000096", "core");
  EXPECT_EQ(messages(), (std::vector<std::string>{"11.12.0 - [FirebaseAnalytics][I-ACS000001] analytics"}));
}

}  // namespace
}  // namespace firebase
