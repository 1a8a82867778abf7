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

// The same, with the default app configured from the shipped options (and no
// Vertex AI instance yet), as the programs configure it.
class ConfiguredAppTest : public VertexTest {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Whether the text is JSON equal to the expected JSON (compared parsed, so
// key order and spacing do not matter).
::testing::AssertionResult isJSON(std::string_view actual, std::string_view expected);

// The error's debug description, for failure messages.
std::string describe(const platform::ErrorPtr& error);

}  // namespace firebase::vertexai::testing

#include <chrono>
#include <condition_variable>
#include <functional>
#include <optional>

#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/Operation.hpp"
#include "foundation/Dispatch.hpp"
#include "test_support/TestEnvironment.hpp"

namespace firebase::vertexai::testing {

// A one-way signal between a test and a server handler or a delivery: may be
// raised any number of times; waiting returns once it is up. Shared, so that
// a handler still running after the test body keeps it alive.
class Signal {
 public:
  void raise() {
    std::lock_guard lock(mutex_);
    raised_ = true;
    changed_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return raised_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool raised_ = false;
};
inline std::shared_ptr<Signal> makeSignal() { return std::make_shared<Signal>(); }

// Collects what one operation delivers on its own serial queue, and waits
// for it (up to the hang guard, so that a missing delivery fails the test
// instead of hanging it).
template <typename T>
class Delivered {
 public:
  Completion<T> completion() {
    return [this](Result<T> result) {
      std::lock_guard lock(mutex_);
      onQueue_ = queue.isCurrent();
      results_.push_back(std::move(result));
      changed_.notify_all();
    };
  }
  // The one result; fails the test when none came or more than one did.
  Result<T> wait() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, test_support::kHangGuard, [this] { return !results_.empty(); });
    queue.sync([] {});  // a second delivery would be queued by now
    EXPECT_EQ(results_.size(), 1u) << "delivered " << results_.size() << " times";
    EXPECT_TRUE(onQueue_) << "not delivered on the named queue";
    if (results_.empty()) return std::unexpected(platform::makeError("test", 0, "nothing delivered"));
    return results_.front();
  }


 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Result<T>> results_;
  bool onQueue_ = false;

 public:
  // Last, so that it goes first: a late delivery still finds the rest.
  platform::DispatchQueue queue{"vertexai.test.delivery"};
};

// Collects a stream's responses and its end. `onResponse` runs on the
// delivery queue for each response, before it is recorded.
class StreamRecorder {
 public:
  StreamHandlers<GenerateContentResponse> handlers();
  // Waits for the end; true when it came (exactly once).
  bool waitForEnd();
  // Waits until `count` responses arrived.
  bool waitForResponses(std::size_t count);

  std::vector<std::string> texts() const;  // each response's text, "<none>" without
  std::size_t responseCount() const;
  platform::ErrorPtr endError() const;
  int endCount() const;

  std::function<void(const GenerateContentResponse&)> onResponse;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<GenerateContentResponse> responses_;
  std::vector<platform::ErrorPtr> ends_;

 public:
  // Last, so that it goes first: a late delivery still finds the rest.
  platform::DispatchQueue queue{"vertexai.test.stream"};
};

}  // namespace firebase::vertexai::testing
