#include "FirebaseVertexAI/GenerateContentError.hpp"

#include "DecodingFailureDescription.hpp"
#include "QuotedServerText.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

// What a person reads of the failure behind a generate call: a reply that
// could not be read says what was wrong in it and where; any other error
// speaks for itself (the backend's message, the transport's, ...).
std::string describeUnderlying(const platform::ErrorPtr& underlying) {
  if (platform::errorAs<platform::json::DecodingError>(underlying))
    return "The server's reply could not be read: " + describeDecodingFailure(underlying);
  return underlying->localizedDescription();
}

// What happened, then the server's reason between parentheses.
std::string withReason(const std::string& what, const char* reasonName, const std::string& reason) {
  return what + " (" + reasonName + " " + quotedServerText(reason) + ")";
}

std::string withUnderlying(std::string description, const platform::ErrorPtr& underlying) {
  if (underlying) description += " underlying error: " + underlying->debugDescription();
  return description;
}

}  // namespace

GenerateContentError::GenerateContentError(Kind kind, platform::ErrorPtr underlying, std::optional<FinishReason> reason,
                                           std::optional<GenerateContentResponse> response)
    : kind_(kind), underlying_(std::move(underlying)), reason_(std::move(reason)), response_(std::move(response)) {}

platform::ErrorPtr GenerateContentError::internalError(platform::ErrorPtr underlying) {
  return std::shared_ptr<GenerateContentError>(
      new GenerateContentError(Kind::internalError, std::move(underlying), std::nullopt, std::nullopt));
}

platform::ErrorPtr GenerateContentError::promptImageContentError(platform::ErrorPtr underlying) {
  return std::shared_ptr<GenerateContentError>(
      new GenerateContentError(Kind::promptImageContentError, std::move(underlying), std::nullopt, std::nullopt));
}

platform::ErrorPtr GenerateContentError::promptBlocked(GenerateContentResponse response) {
  return std::shared_ptr<GenerateContentError>(
      new GenerateContentError(Kind::promptBlocked, nullptr, std::nullopt, std::move(response)));
}

platform::ErrorPtr GenerateContentError::responseStoppedEarly(FinishReason reason, GenerateContentResponse response) {
  return std::shared_ptr<GenerateContentError>(
      new GenerateContentError(Kind::responseStoppedEarly, nullptr, std::move(reason), std::move(response)));
}

std::string GenerateContentError::localizedDescription() const {
  switch (kind_) {
    case Kind::internalError: return describeUnderlying(underlying_);
    case Kind::promptImageContentError:
      return "An image of the prompt could not be sent: " + underlying_->localizedDescription();
    case Kind::promptBlocked: {
      const auto& feedback = response_->promptFeedback;
      if (!feedback || !feedback->blockReason) return "The prompt was blocked.";
      std::string description = withReason("The prompt was blocked", "block reason", feedback->blockReason->rawValue());
      if (feedback->blockReasonMessage && !feedback->blockReasonMessage->empty())
        return description + ": " + quotedServerText(*feedback->blockReasonMessage);
      return description + ".";
    }
    case Kind::responseStoppedEarly: return withReason("The reply stopped early", "finish reason", reason_->rawValue()) + ".";
  }
  return {};
}

std::string GenerateContentError::debugDescription() const {
  std::string description = Error::debugDescription();
  if (reason_) description += " finish reason: " + reason_->rawValue();
  return withUnderlying(std::move(description), underlying_);
}

std::string InvalidCandidateError::localizedDescription() const {
  if (kind_ == Kind::emptyContent) {
    const std::string path = decodingFailurePath(underlyingError_);
    return "The server's reply holds a candidate whose content is empty" + (path.empty() ? "" : " (at " + path + ")") +
           ".";
  }
  return "The server's reply holds a candidate whose content could not be read: " +
         describeDecodingFailure(underlyingError_);
}

std::string InvalidCandidateError::debugDescription() const {
  return withUnderlying(Error::debugDescription(), underlyingError_);
}

}  // namespace firebase::vertexai
