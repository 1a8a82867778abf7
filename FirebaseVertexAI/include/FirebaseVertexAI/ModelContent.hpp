#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/Part.hpp"
#include "foundation/Error.hpp"
#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

// One turn of a conversation: who produced it and its parts, in order. The
// client's own turns have the role "user" (prompts) and "model" (a chat's
// merged reply); decoded responses carry whatever role the service sends.
class ModelContent {
 public:
  // The parts of all the values, one after the other, with the role "user".
  ModelContent(std::vector<PartsRepresentable> parts);
  ModelContent(std::optional<std::string> role, std::vector<PartsRepresentable> parts);
  // The parts as they are.
  static ModelContent fromParts(std::optional<std::string> role, std::vector<Part> parts);

  // {"role": ..., "parts": [...]}, "parts" required.
  static std::expected<ModelContent, platform::ErrorPtr> decode(std::string_view json);

  const std::optional<std::string>& role() const { return role_; }
  const std::vector<Part>& parts() const { return parts_; }

  // Equal roles (both absent, or canonically equivalent) and equal parts.
  bool operator==(const ModelContent& other) const;

 private:
  std::optional<std::string> role_;
  std::vector<Part> parts_;
};

// The error of the first error part, walking the contents and their parts in
// order; nothing when there is none. Requests are checked with it before
// anything is sent.
platform::ErrorPtr rejectErrorParts(const std::vector<ModelContent>& contents);

// What a call given only parts sends: one "user" content of those parts.
std::vector<ModelContent> singleUserContent(PartsRepresentable parts);

// Every content without a role gets the role "user"; the others stay.
std::vector<ModelContent> withUserRoleIfMissing(std::vector<ModelContent> contents);

// One "model" content of all the parts of all the contents, in order, where
// each run of text parts (across contents too) becomes one text part of the
// texts joined without separator; a run that joins to "" leaves no part.
ModelContent mergedStreamContent(const std::vector<ModelContent>& contents);

// {"role": ..., "parts": [...]}; "role" only when there is one. An error part
// cannot be encoded: the writer fails with "Encoding an ErrorPart is not
// supported.".
void writeJSON(platform::json::Writer& writer, const ModelContent& content);
void writeJSON(platform::json::Writer& writer, const Part& part);

}  // namespace firebase::vertexai
