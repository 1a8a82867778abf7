#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Dispatch.hpp"
#include "router/BuiltInService.hpp"

namespace test_doubles {

// Stands in for the app core and the Vertex AI client: a default app with the
// options a test chooses, and a model that answers what the test sets and
// records how it was called.
class FakeBuiltInService : public quorbel::BuiltInService {
 public:
  static AppOptions configuredOptions() { return {"project-1", "api-key-1", "1:123:ios:abc"}; }

  std::optional<AppOptions> options = configuredOptions();
  // What configuring reports; on success a missing default app appears.
  std::optional<std::string> configureFailure;
  std::expected<std::optional<std::string>, platform::ErrorPtr> reply = std::optional<std::string>("model answer");

  struct Call {
    std::string model;
    std::string prompt;
    double timeout = 0;
    bool onMainThread = false;
  };

  std::vector<Call> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  int configureCalls() const {
    std::lock_guard lock(mutex_);
    return configureCalls_;
  }

  std::optional<std::string> configureDefaultAppIfNeeded() override {
    std::lock_guard lock(mutex_);
    ++configureCalls_;
    if (!configureFailure && !options) options = configuredOptions();
    return configureFailure;
  }
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
  int configureCalls_ = 0;
};

}  // namespace test_doubles
