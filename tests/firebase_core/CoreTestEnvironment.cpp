#include "CoreTestEnvironment.hpp"

#include <cstdlib>
#include <fstream>

#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRLogger.hpp"
#include "firebase_core/FIROptions.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/XMLPropertyList.hpp"

namespace firebase::testing {

namespace {
void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}
}  // namespace

void CoreTest::SetUp() {
  root_ = std::filesystem::temp_directory_path() / ("core-test-" + std::to_string(::getpid()) + "-" +
                                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(root_);
  bundle_ = root_ / "bundle";
  std::filesystem::create_directories(bundle_ / "Resources");
  ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
  writeInfo({{"CFBundleIdentifier", "tesvarin.quorbel"}});
  platform::UserDefaults::resetForTesting();
  platform::oslog::setSink([this](const platform::OSLog& log, platform::LogType type, std::string_view message) {
    std::lock_guard lock(mutex_);
    lines_.push_back({log.subsystem(), log.category(), type, std::string(message)});
  });
  FIROptions::resetDefaultOptions();
  FIRLoggerResetForTesting();
  FIRApp::resetForTesting();
}

void CoreTest::TearDown() {
  GULLoggerDrain();
  platform::oslog::setSink({});
  FIRApp::resetApps();
  FIROptions::resetDefaultOptions();
  // Writes the defaults changed in this test now, not into the removed folder
  // a moment later.
  platform::UserDefaults::resetForTesting();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void CoreTest::writeInfo(const platform::PropertyValue::Dictionary& info) {
  writeFile(bundle_ / "Info.plist", test_support::xmlPropertyList(info).value());
  platform::Bundle::setMainBundlePath(bundle_);
}

void CoreTest::writeOptionsFile(const platform::PropertyValue& content, bool binary) {
  writeFile(bundle_ / "Resources" / "GoogleService-Info.plist",
            binary ? platform::plist::toBinary(content).value() : test_support::xmlPropertyList(content).value());
}

platform::PropertyValue::Dictionary CoreTest::sampleOptions() {
  return {{"API_KEY", "AIzaSyTest-Key_0123456789abcdefghijklm"},
          {"GCM_SENDER_ID", "123456789012"},
          {"BUNDLE_ID", "tesvarin.quorbel"},
          {"PROJECT_ID", "quorbel-test"},
          {"GOOGLE_APP_ID", "1:123456789012:ios:0a1b2c3d4e5f60718293a4"},
          {"STORAGE_BUCKET", "quorbel-test.appspot.com"}};
}

std::vector<LoggedLine> CoreTest::loggedLines() {
  GULLoggerDrain();
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> CoreTest::linesWithCode(const std::string& code) {
  std::vector<std::string> found;
  for (const auto& line : loggedLines()) {
    if (line.message.find("[" + code + "]") != std::string::npos) found.push_back(line.message);
  }
  return found;
}

}  // namespace firebase::testing
