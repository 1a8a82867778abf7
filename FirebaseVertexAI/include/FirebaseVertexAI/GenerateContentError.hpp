#pragma once

#include <optional>

#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "foundation/Error.hpp"

namespace firebase::vertexai {

// The error of every generate call. As an error object it has what an
// error enumeration gets by default: its type as the domain, the case's
// position as the code. Its description is what the user reads, so it says
// what went wrong: the underlying error's own words, the block reason, the
// finish reason.
class GenerateContentError final : public platform::Error {
 public:
  static constexpr const char* kDomain = "FirebaseVertexAI.GenerateContentError";
  enum class Kind { internalError, promptImageContentError, promptBlocked, responseStoppedEarly };

  // Any failure that is not already a GenerateContentError: a backend error,
  // a decoding error, a transport error.
  static platform::ErrorPtr internalError(platform::ErrorPtr underlying);
  // A prompt image that could not be turned into data.
  static platform::ErrorPtr promptImageContentError(platform::ErrorPtr underlying);
  static platform::ErrorPtr promptBlocked(GenerateContentResponse response);
  static platform::ErrorPtr responseStoppedEarly(FinishReason reason, GenerateContentResponse response);

  Kind kind() const { return kind_; }
  // For internalError and promptImageContentError.
  const platform::ErrorPtr& underlying() const { return underlying_; }
  // For promptBlocked and responseStoppedEarly.
  const std::optional<GenerateContentResponse>& response() const { return response_; }
  // For responseStoppedEarly.
  const std::optional<FinishReason>& reason() const { return reason_; }

  std::string domain() const override { return kDomain; }
  long code() const override { return static_cast<long>(kind_); }
  // internalError: the underlying error's description, or for a reply that
  // could not be read, what was wrong in it and where.
  // promptBlocked: "The prompt was blocked (block reason SAFETY)." and the
  // service's message when the reply has one.
  // responseStoppedEarly: "The reply stopped early (finish reason MAX_TOKENS)."
  std::string localizedDescription() const override;
  // With the underlying error's own description.
  std::string debugDescription() const override;

 private:
  GenerateContentError(Kind kind, platform::ErrorPtr underlying, std::optional<FinishReason> reason,
                       std::optional<GenerateContentResponse> response);

  Kind kind_;
  platform::ErrorPtr underlying_;
  std::optional<FinishReason> reason_;
  std::optional<GenerateContentResponse> response_;
};

// Raised while decoding a candidate whose content is unusable; callers get
// it inside GenerateContentError::internalError. The response decoder raises
// malformedContent only: an empty content object is what the service writes
// for content without role and parts, and reads as such.
class InvalidCandidateError final : public platform::Error {
 public:
  static constexpr const char* kDomain = "FirebaseVertexAI.InvalidCandidateError";
  enum class Kind { emptyContent, malformedContent };

  InvalidCandidateError(Kind kind, platform::ErrorPtr underlyingError)
      : kind_(kind), underlyingError_(std::move(underlyingError)) {}

  Kind kind() const { return kind_; }
  // Why decoding the content failed.
  const platform::ErrorPtr& underlyingError() const { return underlyingError_; }

  std::string domain() const override { return kDomain; }
  long code() const override { return static_cast<long>(kind_); }
  // Which candidate's content could not be read, and why.
  std::string localizedDescription() const override;
  std::string debugDescription() const override;

 private:
  Kind kind_;
  platform::ErrorPtr underlyingError_;
};

}  // namespace firebase::vertexai
