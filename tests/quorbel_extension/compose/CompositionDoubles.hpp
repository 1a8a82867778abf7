#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compose/LLMService.hpp"
#include "router/BuiltInService.hpp"

namespace compose_test {

// Records every request and answers only when the test says so.
class RecordingLLMService : public quorbel::LLMService {
 public:
  struct Request {
    std::string prompt;
    std::optional<std::string> systemPrompt;
    quorbel::LLMCompletion completion;
  };

  void generateContent(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                       quorbel::LLMCompletion completion) override {
    requests.push_back({prompt, systemPrompt, std::move(completion)});
  }
  std::string description() const override { return "RecordingLLMService"; }

  // Completes request `index` the way the router does for network answers.
  void answer(std::size_t index, quorbel::LLMResult result) { requests.at(index).completion(std::move(result)); }

  std::vector<Request> requests;
};

// The built-in service with whatever default app the test gives it.
class BuiltInServiceDouble : public quorbel::BuiltInService {
 public:
  std::optional<AppOptions> options;
  std::optional<std::string> configureFailure;
  int configureCalls = 0;

  std::optional<std::string> configureDefaultAppIfNeeded() override {
    ++configureCalls;
    if (!configureFailure && !options) options = AppOptions{"project", "key", "app"};
    return configureFailure;
  }
  std::optional<AppOptions> defaultAppOptions() override { return options; }
  std::expected<std::optional<std::string>, platform::ErrorPtr> generateContent(const std::string&, const std::string&,
                                                                                double) override {
    return std::optional<std::string>("built-in answer");
  }
};

}  // namespace compose_test
