#include "settings/LLMAPIError.hpp"

#include <memory>
#include <string>

#include "shared_settings/ProviderErrorTexts.hpp"

namespace mervo {

namespace error_texts = quorbel::error_texts;

LLMAPIError::LLMAPIError(Case c, std::string text, int statusCode)
    : case_(c), text_(std::move(text)), statusCode_(statusCode) {}

platform::ErrorPtr LLMAPIError::serviceNotAvailable(std::string reason) {
  return std::shared_ptr<LLMAPIError>(new LLMAPIError(Case::serviceNotAvailable, std::move(reason), 0));
}

platform::ErrorPtr LLMAPIError::httpError(int statusCode) {
  return std::shared_ptr<LLMAPIError>(new LLMAPIError(Case::httpError, {}, statusCode));
}

platform::ErrorPtr LLMAPIError::configurationError(std::string reason) {
  return std::shared_ptr<LLMAPIError>(new LLMAPIError(Case::configurationError, std::move(reason), 0));
}

platform::ErrorPtr LLMAPIError::make(Case c) { return std::shared_ptr<LLMAPIError>(new LLMAPIError(c, {}, 0)); }

std::string LLMAPIError::domain() const { return "Mervo.LLMAPIError"; }

long LLMAPIError::code() const { return static_cast<long>(case_); }

std::string LLMAPIError::localizedDescription() const {
  switch (case_) {
    case Case::serviceNotAvailable: return std::string(error_texts::serviceNotAvailablePrefix) + text_;
    case Case::httpError: return std::string(error_texts::httpErrorPrefix) + std::to_string(statusCode_);
    case Case::configurationError: return "Configuration error: " + text_;
    case Case::firebaseNotConfigured: return std::string(error_texts::firebaseNotConfigured);
    case Case::emptyResponse: return std::string(error_texts::emptyResponse);
    case Case::invalidRequest: return std::string(error_texts::invalidRequest);
    case Case::invalidResponse: return std::string(error_texts::invalidResponse);
    case Case::noData: return std::string(error_texts::noData);
  }
  return {};
}

bool isLLMAPIError(const platform::ErrorPtr& error, LLMAPIError::Case c) {
  const auto* typed = platform::errorAs<LLMAPIError>(error);
  return typed && typed->errorCase() == c;
}

}  // namespace mervo
