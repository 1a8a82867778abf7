#include "VertexTestSupport.hpp"

#include "firebase_core/FIRLogger.hpp"
#include "foundation/Json.hpp"

namespace firebase::vertexai::testing {

void VertexTest::SetUp() {
  platform::oslog::setSink([this](const platform::OSLog& log, platform::LogType type, std::string_view message) {
    std::lock_guard lock(mutex_);
    lines_.push_back({log.subsystem(), log.category(), type, std::string(message)});
  });
  FIRLoggerResetForTesting();
  FIRSetLoggerLevel(kGULLoggerLevelDebug);
}

void VertexTest::TearDown() {
  GULLoggerDrain();
  platform::oslog::setSink({});
  FIRLoggerResetForTesting();
}

std::vector<LoggedLine> VertexTest::loggedLines() {
  GULLoggerDrain();
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> VertexTest::messagesWithCode(VertexLogMessageCode code) {
  const std::string tag = "[" + messageIdentifier(code) + "] ";
  std::vector<std::string> found;
  for (const auto& line : loggedLines()) {
    const auto at = line.message.find(tag);
    if (at != std::string::npos) found.push_back(line.message.substr(at + tag.size()));
  }
  return found;
}

::testing::AssertionResult isJSON(std::string_view actual, std::string_view expected) {
  auto parsedActual = platform::json::parseAllowingFragments(actual);
  auto parsedExpected = platform::json::parseAllowingFragments(expected);
  if (!parsedExpected) return ::testing::AssertionFailure() << "the expected text is not JSON: " << expected;
  if (!parsedActual) return ::testing::AssertionFailure() << "not JSON: " << actual;
  if (*parsedActual == *parsedExpected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\n  actual:   " << actual << "\n  expected: " << parsedExpected->dump();
}

std::string describe(const platform::ErrorPtr& error) { return error ? error->debugDescription() : "no error"; }

}  // namespace firebase::vertexai::testing
