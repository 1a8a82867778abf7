#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/OSLog.hpp"
#include "foundation/PropertyValue.hpp"

namespace firebase::testing {

struct LoggedLine {
  std::string subsystem;
  std::string category;
  platform::LogType type;
  std::string message;
};

// Gives every test its own configuration, data and bundle folders, an empty
// registry of apps, and the log lines the core writes.
class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the bundle's Info list.
  void writeInfo(const platform::PropertyValue::Dictionary& info);
  // Writes Resources/GoogleService-Info.plist as XML or binary.
  void writeOptionsFile(const platform::PropertyValue& content, bool binary = false);
  // A valid set of options, as the sample options list holds.
  static platform::PropertyValue::Dictionary sampleOptions();

  // Every line written so far (waits for the logging queue).
  std::vector<LoggedLine> loggedLines();
  // The messages of lines whose text contains the code.
  std::vector<std::string> linesWithCode(const std::string& code);

  std::filesystem::path root_;
  std::filesystem::path bundle_;

 private:
  std::mutex mutex_;
  std::vector<LoggedLine> lines_;
};

}  // namespace firebase::testing
