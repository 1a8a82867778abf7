#include "FirebaseVertexAI/GenerateContentResponse.hpp"

#include "Decoding.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"

namespace firebase::vertexai {

std::optional<std::string> GenerateContentResponse::text() const {
  if (candidates.empty()) {
    logVertexAI(kGULLoggerLevelError, VertexLogMessageCode::generateContentResponseNoCandidates,
                "Could not get text from a response that had no candidates.");
    return std::nullopt;
  }
  std::optional<std::string> text;
  for (const auto& part : candidates.front().content.parts()) {
    const auto* textPart = std::get_if<TextPart>(&part);
    if (!textPart) continue;
    if (text) {
      *text += ' ';
      *text += textPart->text();
    } else {
      text = textPart->text();
    }
  }
  if (!text)
    logVertexAI(kGULLoggerLevelError, VertexLogMessageCode::generateContentResponseNoText,
                "Could not get a text part from the first candidate.");
  return text;
}

std::vector<FunctionCallPart> GenerateContentResponse::functionCalls() const {
  std::vector<FunctionCallPart> calls;
  if (candidates.empty()) return calls;
  for (const auto& part : candidates.front().content.parts())
    if (const auto* call = std::get_if<FunctionCallPart>(&part)) calls.push_back(*call);
  return calls;
}

namespace wire {
namespace {

std::vector<SafetyRating> readSafetyRatings(const Decoder& decoder) {
  auto ratings = decoder.ifPresent("safetyRatings");
  return ratings ? ratings->array(readSafetyRating) : std::vector<SafetyRating>{};
}

// An empty string counts as absent.
std::optional<std::string> readNonEmptyString(const Decoder& decoder, std::string_view key) {
  auto value = decoder.ifPresent(key);
  if (!value) return std::nullopt;
  std::string text = value->string();
  if (text.empty()) return std::nullopt;
  return text;
}

Citation readCitation(Decoder& decoder) {
  Citation citation;
  citation.startIndex = readCount(decoder, "startIndex");
  citation.endIndex = readCount(decoder, "endIndex");
  citation.uri = readNonEmptyString(decoder, "uri");
  citation.title = readNonEmptyString(decoder, "title");
  citation.license = readNonEmptyString(decoder, "license");
  // An empty object is how the service writes a date with no part set: no date.
  if (auto date = decoder.ifPresent("publicationDate"); date && !(date->value().is_object() && date->value().empty())) {
    citation.publicationDate = readProtoDate(*date);
    if (!citation.publicationDate->isValidDate())
      logVertexAI(kGULLoggerLevelWarning, VertexLogMessageCode::decodedInvalidCitationPublicationDate,
                  "Decoded an invalid citation publication date: " + citation.publicationDate->description());
  }
  return citation;
}

CitationMetadata readCitationMetadata(Decoder& decoder) {
  auto citations = decoder.ifPresent("citations");
  return {citations ? citations->array(readCitation) : std::vector<Citation>{}};
}

// Content that does not decode fails the candidate. An empty object is
// content without role and parts, as the service writes it.
ModelContent readCandidateContent(Decoder& content) {
  try {
    return readModelContent(content);
  } catch (const platform::json::DecodingFailure& failure) {
    Decoder::fail(std::make_shared<InvalidCandidateError>(InvalidCandidateError::Kind::malformedContent, failure.error));
  }
}

Candidate readCandidate(Decoder& decoder) {
  Candidate candidate;
  if (auto content = decoder.ifPresent("content")) candidate.content = readCandidateContent(*content);
  candidate.safetyRatings = readSafetyRatings(decoder);
  if (auto reason = decoder.ifPresent("finishReason")) candidate.finishReason = readProtoEnum<FinishReason>(*reason);
  if (auto citations = decoder.ifPresent("citationMetadata")) candidate.citationMetadata = readCitationMetadata(*citations);
  return candidate;
}

PromptFeedback readPromptFeedback(Decoder& decoder) {
  PromptFeedback feedback;
  if (auto reason = decoder.ifPresent("blockReason"))
    feedback.blockReason = readProtoEnum<PromptFeedback::BlockReason>(*reason);
  if (auto message = decoder.ifPresent("blockReasonMessage")) feedback.blockReasonMessage = message->string();
  feedback.safetyRatings = readSafetyRatings(decoder);
  return feedback;
}

GenerateContentResponse::UsageMetadata readUsageMetadata(Decoder& decoder) {
  GenerateContentResponse::UsageMetadata usage;
  usage.promptTokenCount = readCount(decoder, "promptTokenCount");
  usage.candidatesTokenCount = readCount(decoder, "candidatesTokenCount");
  usage.totalTokenCount = readCount(decoder, "totalTokenCount");
  usage.promptTokensDetails = readTokenCounts(decoder, "promptTokensDetails");
  usage.candidatesTokensDetails = readTokenCounts(decoder, "candidatesTokensDetails");
  return usage;
}

GenerateContentResponse readResponse(Decoder& decoder) {
  // A key whose value is null counts as present here.
  if (!decoder.contains("candidates") && !decoder.contains("promptFeedback"))
    decoder.failDataCorrupted(
        "Failed to decode GenerateContentResponse; missing keys 'candidates' and 'promptFeedback'.");
  GenerateContentResponse response;
  if (auto candidates = decoder.ifPresent("candidates")) response.candidates = candidates->array(readCandidate);
  if (auto feedback = decoder.ifPresent("promptFeedback")) response.promptFeedback = readPromptFeedback(*feedback);
  if (auto usage = decoder.ifPresent("usageMetadata")) response.usageMetadata = readUsageMetadata(*usage);
  return response;
}

}  // namespace
}  // namespace wire

std::expected<GenerateContentResponse, platform::ErrorPtr> GenerateContentResponse::decode(
    std::string_view json, platform::json::KeyDecoding keys) {
  return platform::json::decodeDocument(json, wire::readResponse, keys);
}

}  // namespace firebase::vertexai
