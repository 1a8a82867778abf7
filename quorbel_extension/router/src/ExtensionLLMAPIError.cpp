#include "router/ExtensionLLMAPIError.hpp"

#include <memory>
#include <string>

#include "foundation/URLCredentials.hpp"
#include "shared_settings/ProviderErrorTexts.hpp"

namespace quorbel {

ExtensionLLMAPIError::ExtensionLLMAPIError(Case c, std::string text, int statusCode)
    : case_(c), text_(std::move(text)), statusCode_(statusCode) {}

platform::ErrorPtr ExtensionLLMAPIError::serviceNotAvailable(std::string reason) {
  return std::shared_ptr<ExtensionLLMAPIError>(new ExtensionLLMAPIError(Case::serviceNotAvailable, std::move(reason), 0));
}

platform::ErrorPtr ExtensionLLMAPIError::httpError(int statusCode) {
  return std::shared_ptr<ExtensionLLMAPIError>(new ExtensionLLMAPIError(Case::httpError, {}, statusCode));
}

platform::ErrorPtr ExtensionLLMAPIError::invalidEndpointURL(std::string endpoint) {
  return std::shared_ptr<ExtensionLLMAPIError>(new ExtensionLLMAPIError(Case::invalidEndpointURL, std::move(endpoint), 0));
}

platform::ErrorPtr ExtensionLLMAPIError::make(Case c) {
  return std::shared_ptr<ExtensionLLMAPIError>(new ExtensionLLMAPIError(c, {}, 0));
}

std::string ExtensionLLMAPIError::domain() const { return "quorbel_extension.ExtensionLLMAPIError"; }

long ExtensionLLMAPIError::code() const { return static_cast<long>(case_); }

std::string ExtensionLLMAPIError::localizedDescription() const {
  switch (case_) {
    case Case::serviceNotAvailable: return std::string(error_texts::serviceNotAvailablePrefix) + text_;
    case Case::httpError: return std::string(error_texts::httpErrorPrefix) + std::to_string(statusCode_);
    case Case::invalidEndpointURL:
      return "Invalid API endpoint URL: '" + platform::withURLCredentialsMasked(text_) +
             "'. Please check your endpoint configuration and ensure it includes the protocol (https://).";
    case Case::firebaseNotConfigured: return std::string(error_texts::firebaseNotConfigured);
    case Case::emptyResponse: return std::string(error_texts::emptyResponse);
    case Case::invalidRequest: return std::string(error_texts::invalidRequest);
    case Case::invalidRequestData: return "Failed to create request data";
    case Case::invalidResponse: return std::string(error_texts::invalidResponse);
    case Case::noData: return std::string(error_texts::noData);
    case Case::endpointNotConfigured:
      return "API endpoint is not configured. Please set your API endpoint in the app settings.";
  }
  return {};
}

bool isExtensionError(const platform::ErrorPtr& error, ExtensionLLMAPIError::Case c) {
  const auto* own = platform::errorAs<ExtensionLLMAPIError>(error);
  return own && own->errorCase() == c;
}

}  // namespace quorbel
