#include "FirebaseVertexAI/Part.hpp"

#include "foundation/Text.hpp"

namespace firebase::vertexai {

using platform::text::canonicallyEquivalent;

bool TextPart::operator==(const TextPart& other) const { return canonicallyEquivalent(text_, other.text_); }

bool InlineDataPart::operator==(const InlineDataPart& other) const {
  return canonicallyEquivalent(mimeType(), other.mimeType()) && data() == other.data();
}

bool FileDataPart::operator==(const FileDataPart& other) const {
  return canonicallyEquivalent(mimeType(), other.mimeType()) && canonicallyEquivalent(uri(), other.uri());
}

bool FunctionCallPart::operator==(const FunctionCallPart& other) const {
  return canonicallyEquivalent(name(), other.name()) && args() == other.args();
}

bool FunctionResponsePart::operator==(const FunctionResponsePart& other) const {
  return canonicallyEquivalent(name(), other.name()) && response() == other.response();
}

PartsRepresentable::PartsRepresentable(std::string text) { parts_.emplace_back(TextPart(std::move(text))); }

PartsRepresentable::PartsRepresentable(const char* text) : PartsRepresentable(std::string(text)) {}

PartsRepresentable::PartsRepresentable(Part part) { parts_.push_back(std::move(part)); }

PartsRepresentable::PartsRepresentable(std::vector<PartsRepresentable> values) {
  for (auto& value : values)
    for (auto& part : std::move(value).partsValue()) parts_.push_back(std::move(part));
}

}  // namespace firebase::vertexai
