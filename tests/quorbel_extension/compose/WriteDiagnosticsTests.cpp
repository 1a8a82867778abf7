// The Write request's check of the shared suite says what happened on disk.
#include <filesystem>

#include <gtest/gtest.h>

#include "compose/WriteDiagnostics.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

constexpr const char* kSuccess = "✅ Extension: Successfully wrote to App Group UserDefaults";
constexpr const char* kFailure = "❌ Extension: Failed to access App Group UserDefaults";

class WriteCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::resetDefaults(); }
  void TearDown() override { platform::RunLoop::drainMainQueue(); }
};

TEST_F(WriteCheckTest, SuccessIsReportedOnlyWhenTheStampReachedTheDisk) {
  {
    test_support::ConsoleCapture console;
    quorbel::recordGenerateReplyCall();
    EXPECT_TRUE(console.contains(kSuccess)) << console.joined();
  }
  // The suite opens, but its file cannot be written: a folder stands where
  // the write's lock file belongs.
  const std::string lockFile = platform::UserDefaults::fileForDomain("group.tesvarin.quorbel").string() + ".lock";
  std::filesystem::remove(lockFile);
  std::filesystem::create_directory(lockFile);
  test_support::ConsoleCapture console;
  quorbel::recordGenerateReplyCall();
  EXPECT_TRUE(console.contains(kFailure)) << console.joined();
  EXPECT_FALSE(console.contains(kSuccess)) << console.joined();
  std::filesystem::remove(lockFile);
}

}  // namespace
