#pragma once

#include <string>

#include "foundation/Error.hpp"

namespace quorbel {

// The router's own failures; their descriptions are what the popover shows.
class ExtensionLLMAPIError : public platform::Error {
 public:
  enum class Case {
    serviceNotAvailable,
    httpError,
    invalidEndpointURL,
    firebaseNotConfigured,
    emptyResponse,
    invalidRequest,
    invalidRequestData,
    invalidResponse,
    noData,
    endpointNotConfigured,
  };

  static platform::ErrorPtr serviceNotAvailable(std::string reason);
  static platform::ErrorPtr httpError(int statusCode);
  static platform::ErrorPtr invalidEndpointURL(std::string endpoint);
  static platform::ErrorPtr make(Case c);  // for the cases without payload

  Case errorCase() const { return case_; }
  int statusCode() const { return statusCode_; }
  const std::string& text() const { return text_; }

  std::string domain() const override;
  long code() const override;
  std::string localizedDescription() const override;

 private:
  ExtensionLLMAPIError(Case c, std::string text, int statusCode);
  Case case_;
  std::string text_;
  int statusCode_;
};

// True when the error is the router's own error of that case.
bool isExtensionError(const platform::ErrorPtr& error, ExtensionLLMAPIError::Case c);

}  // namespace quorbel
