#include "settings/LLMAPIError.hpp"

#include <memory>

namespace mervo {

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
    case Case::serviceNotAvailable: return "Service not available: " + text_;
    case Case::httpError: return "HTTP error: " + std::to_string(statusCode_);
    case Case::configurationError: return "Configuration error: " + text_;
    case Case::firebaseNotConfigured: return "Firebase is not configured properly";
    case Case::emptyResponse: return "Received empty response from API";
    case Case::invalidRequest: return "Failed to create request";
    case Case::invalidResponse: return "Invalid response format";
    case Case::noData: return "No data received from API";
  }
  return {};
}

bool isLLMAPIError(const platform::ErrorPtr& error, LLMAPIError::Case c) {
  const auto* typed = platform::errorAs<LLMAPIError>(error);
  return typed && typed->errorCase() == c;
}

}  // namespace mervo
