#include <gtest/gtest.h>

#include "CoreTestEnvironment.hpp"
#include "firebase_core/FIRAppID.hpp"
#include "firebase_core/FIRLogger.hpp"

namespace firebase {
namespace {

using testing::CoreTest;

class AppIDTest : public CoreTest {};

TEST_F(AppIDTest, ValidationTable) {
  struct Case {
    const char* appID;
    bool valid;
  };
  const Case cases[] = {
      {"1:123:ios:abc", true},
      {"1:123456789012:ios:0a1b2c3d4e5f60718293a4", true},  // real length: 22 hexadecimal digits
      {"1:123456789012:ios:0A1B2C3D4E5F60718293A4FFFF", true},
      {"1:123:ios:0xabc", true},
      {"1:123:macos:abc", false},
      {"1:123:android:abc", false},
      {"1:123:ios:", false},
      {"1:123:ios:xyz", false},
      {"1:123:ios:abc:def", false},
      {"1:123:ios:abc ", false},
      {" 1:123:ios:abc", false},
      {"1:abc:ios:abc", false},
      {"1::ios:abc", false},
      {"1:123:ios", false},
      {"1", false},
      {"1-123:ios:abc", false},
      {":123:ios:abc", false},
      {"", false},
      {"2:123:anything", true},  // another version is accepted unchecked
      {"10:x", true},
  };
  for (const auto& c : cases) EXPECT_EQ(FIRValidateAppID(c.appID), c.valid) << c.appID;
}

TEST_F(AppIDTest, UnknownVersionsAreNamedInAnInfoLine) {
  FIRLoggerResetForTesting();
  GULSetLoggerLevel(kGULLoggerLevelInfo);
  EXPECT_TRUE(FIRValidateAppID("2:123:ios:abc"));
  EXPECT_EQ(linesWithCode("I-COR000010"),
            (std::vector<std::string>{"11.12.0 - [FirebaseCore][I-COR000010] Unknown GOOGLE_APP_ID version: 2"}));
}

}  // namespace
}  // namespace firebase
