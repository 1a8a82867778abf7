#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compose/LLMService.hpp"

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

}  // namespace compose_test
