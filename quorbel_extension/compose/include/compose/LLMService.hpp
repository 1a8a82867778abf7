#pragma once

#include <memory>
#include <optional>
#include <string>

#include "shared_settings/LLMResult.hpp"

namespace quorbel {

// What the popover asks for text: the router in the program, a double in
// tests.
class LLMService {
 public:
  virtual ~LLMService() = default;
  virtual void generateContent(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                               LLMCompletion completion) = 0;
  // The service as diagnostics print it.
  virtual std::string description() const = 0;
};

// The router's shared ExtensionLLMAPIService.
std::shared_ptr<LLMService> routerLLMService();

}  // namespace quorbel
