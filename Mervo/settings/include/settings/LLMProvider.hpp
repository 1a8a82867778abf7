#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/RawValueEnum.hpp"
#include "shared_settings/SuiteKeys.hpp"

namespace mervo {

// The language-model providers the application can configure. The raw values
// are what `llm_provider` holds, in the extension's order.
enum class LLMProvider { gemini, openai, ollama, custom };

template <>
struct RawValueCases<LLMProvider> {
  static constexpr std::array cases{
      std::pair{LLMProvider::gemini, quorbel::suite_defaults::providerRawValues[0]},
      std::pair{LLMProvider::openai, quorbel::suite_defaults::providerRawValues[1]},
      std::pair{LLMProvider::ollama, quorbel::suite_defaults::providerRawValues[2]},
      std::pair{LLMProvider::custom, quorbel::suite_defaults::providerRawValues[3]},
  };
};

// What the provider's card offers, in order; the first is the default model.
// Empty for `custom`, whose model is always typed in.
const std::vector<std::string>& availableModels(LLMProvider provider);

// The endpoint a freshly chosen provider starts with (empty for `gemini` and
// `custom`).
std::string_view defaultEndpoint(LLMProvider provider);

// The provider's title as the AI Models screen shows it on its card.
std::string_view displayName(LLMProvider provider);

}  // namespace mervo
