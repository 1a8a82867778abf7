#pragma once

#include <expected>
#include <functional>
#include <string>

#include "foundation/Error.hpp"

namespace quorbel {

// What a model request ends with: the answer text, or why there is none.
using LLMResult = std::expected<std::string, platform::ErrorPtr>;
// Called exactly once per request.
using LLMCompletion = std::function<void(LLMResult)>;

}  // namespace quorbel
