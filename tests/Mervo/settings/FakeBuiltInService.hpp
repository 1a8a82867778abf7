#pragma once

#include <atomic>
#include <mutex>

#include "foundation/Dispatch.hpp"
#include "router/BuiltInService.hpp"

namespace settings_test {

// Stands in for the default app and the Vertex AI client.
class FakeBuiltInService : public quorbel::BuiltInService {
 public:
  std::optional<AppOptions> options = AppOptions{"project", "api-key", "app-id"};
  std::expected<std::optional<std::string>, platform::ErrorPtr> reply =
      std::optional<std::string>("Connection successful!");

  struct Call {
    std::string model, prompt;
    double timeout = 0;
    bool onMainThread = false;
  };
  std::vector<Call> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

  std::optional<std::string> configureDefaultAppIfNeeded() override { return std::nullopt; }
  std::optional<AppOptions> defaultAppOptions() override { return options; }
  std::expected<std::optional<std::string>, platform::ErrorPtr> generateContent(const std::string& modelName,
                                                                                const std::string& prompt,
                                                                                double timeoutSeconds) override {
    std::lock_guard lock(mutex_);
    calls_.push_back({modelName, prompt, timeoutSeconds, platform::isMainThread()});
    return reply;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace settings_test
