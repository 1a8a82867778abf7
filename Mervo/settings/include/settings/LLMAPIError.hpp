#pragma once

#include <string>

#include "foundation/Error.hpp"

namespace mervo {

// The connection test's own failures; the description is what the user reads
// after "❌ Connection failed!".
class LLMAPIError : public platform::Error {
 public:
  enum class Case {
    serviceNotAvailable,
    httpError,
    configurationError,
    firebaseNotConfigured,
    emptyResponse,
    invalidRequest,
    invalidResponse,
    noData,
  };

  static platform::ErrorPtr serviceNotAvailable(std::string reason);
  static platform::ErrorPtr httpError(int statusCode);
  static platform::ErrorPtr configurationError(std::string reason);
  static platform::ErrorPtr make(Case c);  // for the cases without payload

  Case errorCase() const { return case_; }
  int statusCode() const { return statusCode_; }
  const std::string& text() const { return text_; }

  std::string domain() const override;
  long code() const override;
  std::string localizedDescription() const override;

 private:
  LLMAPIError(Case c, std::string text, int statusCode);
  Case case_;
  std::string text_;
  int statusCode_;
};

// True when the error is an LLMAPIError of that case.
bool isLLMAPIError(const platform::ErrorPtr& error, LLMAPIError::Case c);

}  // namespace mervo
