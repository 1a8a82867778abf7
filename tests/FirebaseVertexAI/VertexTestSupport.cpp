#include "VertexTestSupport.hpp"

#include "firebase_core/FIRLogger.hpp"
#include "foundation/Json.hpp"
#include "test_doubles/VertexAIBackend.hpp"

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

void ConfiguredAppTest::SetUp() {
  VertexTest::SetUp();
  test_doubles::configureDefaultAppFromShippedOptions();
}

void ConfiguredAppTest::TearDown() {
  test_doubles::resetApps();
  VertexTest::TearDown();
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

namespace firebase::vertexai::testing {

StreamHandlers<GenerateContentResponse> StreamRecorder::handlers() {
  return {[this](GenerateContentResponse response) {
            if (onResponse) onResponse(response);
            std::lock_guard lock(mutex_);
            responses_.push_back(std::move(response));
            changed_.notify_all();
          },
          [this](platform::ErrorPtr error) {
            std::lock_guard lock(mutex_);
            ends_.push_back(std::move(error));
            changed_.notify_all();
          }};
}

bool StreamRecorder::waitForEnd() {
  {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, test_support::kHangGuard, [this] { return !ends_.empty(); })) return false;
  }
  queue.sync([] {});
  return endCount() == 1;
}

bool StreamRecorder::waitForResponses(std::size_t count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, test_support::kHangGuard, [&] { return responses_.size() >= count; });
}

std::vector<std::string> StreamRecorder::texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (const auto& response : responses_) texts.push_back(response.text().value_or("<none>"));
  return texts;
}

std::size_t StreamRecorder::responseCount() const {
  std::lock_guard lock(mutex_);
  return responses_.size();
}

platform::ErrorPtr StreamRecorder::endError() const {
  std::lock_guard lock(mutex_);
  return ends_.empty() ? nullptr : ends_.front();
}

int StreamRecorder::endCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(ends_.size());
}

}  // namespace firebase::vertexai::testing
