#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CoreTestEnvironment.hpp"
#include "firebase_core/FIRFirebaseUserAgent.hpp"
#include "firebase_core/GULAppEnvironmentUtil.hpp"

namespace firebase {
namespace {

using testing::CoreTest;

class UserAgentTest : public CoreTest {};

TEST_F(UserAgentTest, SortsComponentsCaseInsensitivelyWithTheEnvironment) {
  writeInfo({{"CFBundleIdentifier", "tesvarin.quorbel"}, {"DTSDKBuild", "23E208"}, {"DTXcodeBuild", "15E204a"}});
  FIRFirebaseUserAgent agent;
  agent.setValue("11.12.0", "fire-ios");
  agent.setValue("11.12.0", "fire-vertex");
  agent.setValue("9", "Zeta");
  agent.setValue("registered", "device");  // the environment's value wins

  const std::string text = agent.firebaseUserAgent();
  const std::string expected = "apple-platform/linux apple-sdk/23E208 appstore/false deploy/cmake device/" +
                               GULAppEnvironmentUtil::deviceModel() +
                               " fire-ios/11.12.0 fire-vertex/11.12.0 os-version/" +
                               GULAppEnvironmentUtil::systemVersion() + " xcode/15E204a Zeta/9";
  EXPECT_EQ(text, expected);
}

TEST_F(UserAgentTest, MissingInfoValuesLeaveTheirEntriesOutAndResetKeepsOnlyTheEnvironment) {
  FIRFirebaseUserAgent agent;
  agent.setValue("11.12.0", "fire-ios");
  EXPECT_EQ(agent.firebaseUserAgent().find("xcode/"), std::string::npos);
  EXPECT_EQ(agent.firebaseUserAgent().find("apple-sdk/"), std::string::npos);
  EXPECT_NE(agent.firebaseUserAgent().find("fire-ios/11.12.0"), std::string::npos);

  agent.setValue(std::nullopt, "fire-ios");
  EXPECT_EQ(agent.firebaseUserAgent().find("fire-ios"), std::string::npos);
  agent.setValue("1", "fire-x");
  agent.reset();
  EXPECT_EQ(agent.valuesByComponent(), FIRFirebaseUserAgent::environmentComponents());
}

TEST_F(UserAgentTest, ProbesAnswerFromLinux) {
  EXPECT_FALSE(GULAppEnvironmentUtil::isFromAppStore());
  EXPECT_FALSE(GULAppEnvironmentUtil::isAppExtension());
  writeInfo({{"NSExtension", platform::PropertyValue::Dictionary{}}});
  EXPECT_TRUE(GULAppEnvironmentUtil::isAppExtension());
  EXPECT_FALSE(GULAppEnvironmentUtil::deviceModel().empty());
  EXPECT_THAT(GULAppEnvironmentUtil::systemVersion(), ::testing::MatchesRegex(R"([0-9]+\.[0-9]+(\.[1-9][0-9]*)?)"));
  EXPECT_EQ(GULAppEnvironmentUtil::getSysctlEntry("kernel.ostype"), "Linux");
  EXPECT_FALSE(GULAppEnvironmentUtil::getSysctlEntry("hw.model").has_value());
  EXPECT_FALSE(GULAppEnvironmentUtil::getSysctlEntry("../../etc/passwd").has_value());
}

}  // namespace
}  // namespace firebase
