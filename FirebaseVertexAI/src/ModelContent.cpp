#include "FirebaseVertexAI/ModelContent.hpp"

#include "Decoding.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "foundation/Base64.hpp"
#include "foundation/Text.hpp"

namespace firebase::vertexai {

ModelContent::ModelContent(std::vector<PartsRepresentable> parts) : ModelContent(std::string("user"), std::move(parts)) {}

ModelContent::ModelContent(std::optional<std::string> role, std::vector<PartsRepresentable> parts)
    : role_(std::move(role)), parts_(PartsRepresentable(std::move(parts)).partsValue()) {}

ModelContent ModelContent::fromParts(std::optional<std::string> role, std::vector<Part> parts) {
  ModelContent content(std::move(role), std::vector<PartsRepresentable>{});
  content.parts_ = std::move(parts);
  return content;
}

std::expected<ModelContent, platform::ErrorPtr> ModelContent::decode(std::string_view json) {
  return platform::json::decodeDocument(json, wire::readModelContent);
}

bool ModelContent::operator==(const ModelContent& other) const {
  if (role_.has_value() != other.role_.has_value()) return false;
  if (role_ && !platform::text::canonicallyEquivalent(*role_, *other.role_)) return false;
  return parts_ == other.parts_;
}

platform::ErrorPtr rejectErrorParts(const std::vector<ModelContent>& contents) {
  for (const auto& content : contents)
    for (const auto& part : content.parts())
      if (const auto* errorPart = std::get_if<ErrorPart>(&part)) return errorPart->error();
  return nullptr;
}

std::vector<ModelContent> singleUserContent(PartsRepresentable parts) {
  return {ModelContent({std::move(parts)})};
}

std::vector<ModelContent> withUserRoleIfMissing(std::vector<ModelContent> contents) {
  for (auto& content : contents)
    if (!content.role()) content = ModelContent::fromParts(std::string("user"), content.parts());
  return contents;
}

ModelContent mergedStreamContent(const std::vector<ModelContent>& contents) {
  std::vector<Part> merged;
  std::string pendingText;
  auto closeTextRun = [&] {
    if (!pendingText.empty()) merged.emplace_back(TextPart(std::move(pendingText)));
    pendingText.clear();
  };
  for (const auto& content : contents) {
    for (const auto& part : content.parts()) {
      if (const auto* text = std::get_if<TextPart>(&part)) {
        pendingText += text->text();
      } else {
        closeTextRun();
        merged.push_back(part);
      }
    }
  }
  closeTextRun();
  return ModelContent::fromParts(std::string("model"), std::move(merged));
}

namespace {

// Each part is an object with one key, its kind.
struct PartWriter {
  platform::json::Writer& writer;

  void operator()(const TextPart& part) const {
    writer.beginObject();
    writeMember(writer, "text", part.text());
    writer.endObject();
  }
  void operator()(const InlineDataPart& part) const {
    open("inlineData");
    writeMember(writer, "mimeType", part.mimeType());
    writer.key("data");
    writer.base64(part.data());
    close();
  }
  void operator()(const FileDataPart& part) const {
    open("fileData");
    writeMember(writer, "fileUri", part.uri());
    writeMember(writer, "mimeType", part.mimeType());
    close();
  }
  void operator()(const FunctionCallPart& part) const {
    open("functionCall");
    writeMember(writer, "name", part.name());
    writeMember(writer, "args", part.args());
    close();
  }
  void operator()(const FunctionResponsePart& part) const {
    open("functionResponse");
    writeMember(writer, "name", part.name());
    writeMember(writer, "response", part.response());
    close();
  }
  void operator()(const ErrorPart&) const {
    writer.beginObject();
    writer.fail("Encoding an ErrorPart is not supported.");
  }

  // {kind: {...
  void open(std::string_view kind) const {
    writer.beginObject();
    writer.key(kind);
    writer.beginObject();
  }
  void close() const {
    writer.endObject();
    writer.endObject();
  }
};

}  // namespace

void writeJSON(platform::json::Writer& writer, const Part& part) { std::visit(PartWriter{writer}, part); }

void writeJSON(platform::json::Writer& writer, const ModelContent& content) {
  writer.beginObject();
  writeMemberIfPresent(writer, "role", content.role());
  writeMember(writer, "parts", content.parts());
  writer.endObject();
}

namespace wire {
namespace {

InlineData readInlineData(Decoder& decoder) {
  InlineData inlineData;
  inlineData.mimeType = readText(decoder, "mimeType");
  if (auto data = decoder.ifPresent("data")) {
    auto bytes = platform::base64::decode(data->string());
    if (!bytes) data->failDataCorrupted("The value of \"data\" is not valid Base64.");
    inlineData.data = std::move(*bytes);
  }
  return inlineData;
}

FileData readFileData(Decoder& decoder) {
  FileData fileData;
  fileData.fileURI = readText(decoder, "fileUri");
  fileData.mimeType = readText(decoder, "mimeType");
  return fileData;
}

FunctionCall readFunctionCall(Decoder& decoder) {
  FunctionCall call;
  call.name = readText(decoder, "name");
  if (auto args = decoder.ifPresent("args")) call.args = readJSONObject(*args);
  return call;
}

FunctionResponse readFunctionResponse(Decoder& decoder) {
  FunctionResponse response;
  response.name = readText(decoder, "name");
  if (auto payload = decoder.ifPresent("response")) response.response = readJSONObject(*payload);
  return response;
}

// The first of the part keys that the object holds decides the part's kind.
Part readPart(Decoder& decoder) {
  if (decoder.contains("text")) return TextPart(decoder.required("text").string());
  if (decoder.contains("inlineData")) {
    auto value = decoder.required("inlineData");
    return InlineDataPart(readInlineData(value));
  }
  if (decoder.contains("fileData")) {
    auto value = decoder.required("fileData");
    return FileDataPart(readFileData(value));
  }
  if (decoder.contains("functionCall")) {
    auto value = decoder.required("functionCall");
    return FunctionCallPart(readFunctionCall(value));
  }
  if (decoder.contains("functionResponse")) {
    auto value = decoder.required("functionResponse");
    return FunctionResponsePart(readFunctionResponse(value));
  }
  decoder.failDataCorrupted("Unexpected Part type(s): []");
}

}  // namespace

ModelContent readModelContent(Decoder& decoder) {
  std::optional<std::string> role;
  if (auto value = decoder.ifPresent("role")) role = value->string();
  std::vector<Part> parts;
  if (auto value = decoder.ifPresent("parts")) parts = value->array(readPart);
  return ModelContent::fromParts(std::move(role), std::move(parts));
}

}  // namespace wire

}  // namespace firebase::vertexai
