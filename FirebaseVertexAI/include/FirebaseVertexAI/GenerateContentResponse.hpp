#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/ModelContent.hpp"
#include "FirebaseVertexAI/ProtoEnum.hpp"
#include "FirebaseVertexAI/Safety.hpp"
#include "FirebaseVertexAI/TokenCounts.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/DateComponents.hpp"
#include "foundation/Error.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {

// Why the model stopped producing a candidate.
class FinishReason : public ProtoEnum<FinishReason> {
 public:
  enum class Kind {
    stop, maxTokens, safety, recitation, other, blocklist, prohibitedContent, spii, malformedFunctionCall
  };
  static constexpr std::array<std::string_view, 9> kRawValues = {
      "STOP",      "MAX_TOKENS",         "SAFETY", "RECITATION", "OTHER",
      "BLOCKLIST", "PROHIBITED_CONTENT", "SPII",   "MALFORMED_FUNCTION_CALL"};
  static constexpr std::string_view kTypeName = "FinishReason";
  static constexpr VertexLogMessageCode kUnrecognizedCode =
      VertexLogMessageCode::generateContentResponseUnrecognizedFinishReason;
  using ProtoEnum::ProtoEnum;
  static const FinishReason stop;
  static const FinishReason maxTokens;
  static const FinishReason safety;
  static const FinishReason recitation;
  static const FinishReason other;
  static const FinishReason blocklist;
  static const FinishReason prohibitedContent;
  static const FinishReason spii;
  static const FinishReason malformedFunctionCall;
};

inline const FinishReason FinishReason::stop{Kind::stop};
inline const FinishReason FinishReason::maxTokens{Kind::maxTokens};
inline const FinishReason FinishReason::safety{Kind::safety};
inline const FinishReason FinishReason::recitation{Kind::recitation};
inline const FinishReason FinishReason::other{Kind::other};
inline const FinishReason FinishReason::blocklist{Kind::blocklist};
inline const FinishReason FinishReason::prohibitedContent{Kind::prohibitedContent};
inline const FinishReason FinishReason::spii{Kind::spii};
inline const FinishReason FinishReason::malformedFunctionCall{Kind::malformedFunctionCall};

// One cited source of a stretch of the answer.
struct Citation {
  std::int64_t startIndex = 0;
  std::int64_t endIndex = 0;
  std::optional<std::string> uri;  // an empty string is absent
  std::optional<std::string> title;
  std::optional<std::string> license;
  std::optional<platform::DateComponents> publicationDate;
};

struct CitationMetadata {
  std::vector<Citation> citations;
};

struct Candidate {
  ModelContent content{std::string("user"), std::vector<PartsRepresentable>{}};
  std::vector<SafetyRating> safetyRatings;
  std::optional<FinishReason> finishReason;
  std::optional<CitationMetadata> citationMetadata;
};

// The service's verdict on the prompt.
struct PromptFeedback {
  class BlockReason : public ProtoEnum<BlockReason> {
   public:
    enum class Kind { safety, other, blocklist, prohibitedContent };
    static constexpr std::array<std::string_view, 4> kRawValues = {"SAFETY", "OTHER", "BLOCKLIST",
                                                                   "PROHIBITED_CONTENT"};
    static constexpr std::string_view kTypeName = "BlockReason";
    static constexpr VertexLogMessageCode kUnrecognizedCode =
        VertexLogMessageCode::generateContentResponseUnrecognizedBlockReason;
    using ProtoEnum::ProtoEnum;
    static const BlockReason safety;
    static const BlockReason other;
    static const BlockReason blocklist;
    static const BlockReason prohibitedContent;
  };

  std::optional<BlockReason> blockReason;
  std::optional<std::string> blockReasonMessage;
  std::vector<SafetyRating> safetyRatings;
};

inline const PromptFeedback::BlockReason PromptFeedback::BlockReason::safety{Kind::safety};
inline const PromptFeedback::BlockReason PromptFeedback::BlockReason::other{Kind::other};
inline const PromptFeedback::BlockReason PromptFeedback::BlockReason::blocklist{Kind::blocklist};
inline const PromptFeedback::BlockReason PromptFeedback::BlockReason::prohibitedContent{Kind::prohibitedContent};

// The answer to a generate-content call, or one chunk of a streamed call.
struct GenerateContentResponse {
  struct UsageMetadata {
    std::int64_t promptTokenCount = 0;
    std::int64_t candidatesTokenCount = 0;
    std::int64_t totalTokenCount = 0;
    std::vector<ModalityTokenCount> promptTokensDetails;
    std::vector<ModalityTokenCount> candidatesTokensDetails;
  };

  std::vector<Candidate> candidates;
  std::optional<PromptFeedback> promptFeedback;
  std::optional<UsageMetadata> usageMetadata;

  // The text parts of the first candidate joined with single spaces; absent
  // (and logged) when there is no candidate or it has no text part.
  std::optional<std::string> text() const;
  // The function-call parts of the first candidate, in order.
  std::vector<FunctionCallPart> functionCalls() const;

  // Decodes a response body (or one streamed chunk): a decoding error, or an
  // InvalidCandidateError for a candidate whose content is unusable. Streamed
  // chunks may spell keys in snake case ("finish_reason"): their decoding
  // accepts both spellings.
  static std::expected<GenerateContentResponse, platform::ErrorPtr> decode(
      std::string_view json, platform::json::KeyDecoding keys = platform::json::KeyDecoding::exact);
};

}  // namespace firebase::vertexai
