#include "compose/LLMService.hpp"

#include "router/ExtensionLLMAPIService.hpp"

namespace quorbel {

namespace {

class RouterLLMService : public LLMService {
 public:
  void generateContent(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                       LLMCompletion completion) override {
    ExtensionLLMAPIService::shared().generateContent(prompt, systemPrompt, std::move(completion));
  }
  std::string description() const override { return "quorbel_extension.ExtensionLLMAPIService"; }
};

}  // namespace

std::shared_ptr<LLMService> routerLLMService() {
  static const auto service = std::make_shared<RouterLLMService>();
  return service;
}

}  // namespace quorbel
