#pragma once

#include <atomic>
#include <mutex>

#include "foundation/Dispatch.hpp"
#include "router/BuiltInService.hpp"

namespace router_test {

// Stands in for the app core and the Vertex AI client: a default app with
// the options a test chooses, and a model that answers what the test sets
// and records how it was called.
class FakeBuiltInService : public quorbel::BuiltInService {
 public:
  std::optional<AppOptions> options = AppOptions{"project-1", "api-key-1", "1:123:ios:abc"};
  std::expected<std::optional<std::string>, platform::ErrorPtr> reply = std::optional<std::string>("model answer");

  std::optional<std::string> configureDefaultAppIfNeeded() override { return std::nullopt; }
  std::optional<AppOptions> defaultAppOptions() override { return options; }

  std::expected<std::optional<std::string>, platform::ErrorPtr> generateContent(const std::string& modelName,
                                                                                const std::string& prompt,
                                                                                double timeoutSeconds) override {
    std::lock_guard lock(mutex_);
    ++calls;
    calledOnMainThread = platform::isMainThread();
    lastModel = modelName;
    lastPrompt = prompt;
    lastTimeout = timeoutSeconds;
    return reply;
  }

  std::atomic<int> calls{0};
  std::atomic<bool> calledOnMainThread{false};
  std::string lastModel, lastPrompt;
  double lastTimeout = 0;

 private:
  std::mutex mutex_;
};

}  // namespace router_test
