#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/Error.hpp"
#include "foundation/OSLog.hpp"

namespace firebase::vertexai::testing {

struct LoggedLine {
  std::string subsystem;
  std::string category;
  platform::LogType type;
  std::string message;
};

// Captures what the client logs, with the core logger writing every level.
class VertexTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Every line written so far (waits for the logging queue).
  std::vector<LoggedLine> loggedLines();
  // The messages (after the "[I-VTX...] " prefix) logged under the code.
  std::vector<std::string> messagesWithCode(VertexLogMessageCode code);

 private:
  std::mutex mutex_;
  std::vector<LoggedLine> lines_;
};

// Whether the text is JSON equal to the expected JSON (compared parsed, so
// key order and spacing do not matter).
::testing::AssertionResult isJSON(std::string_view actual, std::string_view expected);

// The error's debug description, for failure messages.
std::string describe(const platform::ErrorPtr& error);

}  // namespace firebase::vertexai::testing
