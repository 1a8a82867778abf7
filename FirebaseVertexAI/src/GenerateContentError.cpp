#include "FirebaseVertexAI/GenerateContentError.hpp"

#include "DefaultErrorDescription.hpp"

namespace firebase::vertexai {
namespace {

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

std::string GenerateContentError::localizedDescription() const { return defaultErrorDescription(kDomain, code()); }

std::string GenerateContentError::debugDescription() const {
  std::string description = Error::debugDescription();
  if (reason_) description += " finish reason: " + reason_->rawValue();
  return withUnderlying(std::move(description), underlying_);
}

std::string InvalidCandidateError::localizedDescription() const { return defaultErrorDescription(kDomain, code()); }

std::string InvalidCandidateError::debugDescription() const {
  return withUnderlying(Error::debugDescription(), underlyingError_);
}

}  // namespace firebase::vertexai
