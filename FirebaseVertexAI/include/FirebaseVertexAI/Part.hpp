#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "FirebaseVertexAI/JSONValue.hpp"
#include "foundation/Error.hpp"

namespace platform::imaging {
class CGImage;
class CIImage;
class NSImage;
}  // namespace platform::imaging

namespace firebase::vertexai {

using Bytes = std::vector<std::uint8_t>;

// Bytes with their media type, carried in the request itself.
struct InlineData {
  std::string mimeType;
  Bytes data;
};

// A file the service reads from its URI.
struct FileData {
  std::string fileURI;
  std::string mimeType;
};

// The model asks the caller to call a function with these arguments.
struct FunctionCall {
  std::string name;
  JSONValue::Object args;
};

// What the caller's function answered.
struct FunctionResponse {
  std::string name;
  JSONValue::Object response;
};

class TextPart {
 public:
  explicit TextPart(std::string text) : text_(std::move(text)) {}
  const std::string& text() const { return text_; }
  bool operator==(const TextPart& other) const;

 private:
  std::string text_;
};

class InlineDataPart {
 public:
  InlineDataPart(Bytes data, std::string mimeType) : inlineData_{std::move(mimeType), std::move(data)} {}
  explicit InlineDataPart(InlineData inlineData) : inlineData_(std::move(inlineData)) {}
  const Bytes& data() const { return inlineData_.data; }
  const std::string& mimeType() const { return inlineData_.mimeType; }
  const InlineData& inlineData() const { return inlineData_; }
  bool operator==(const InlineDataPart& other) const;

 private:
  InlineData inlineData_;
};

class FileDataPart {
 public:
  FileDataPart(std::string uri, std::string mimeType) : fileData_{std::move(uri), std::move(mimeType)} {}
  explicit FileDataPart(FileData fileData) : fileData_(std::move(fileData)) {}
  const std::string& uri() const { return fileData_.fileURI; }
  const std::string& mimeType() const { return fileData_.mimeType; }
  const FileData& fileData() const { return fileData_; }
  bool operator==(const FileDataPart& other) const;

 private:
  FileData fileData_;
};

class FunctionCallPart {
 public:
  FunctionCallPart(std::string name, JSONValue::Object args) : functionCall_{std::move(name), std::move(args)} {}
  explicit FunctionCallPart(FunctionCall functionCall) : functionCall_(std::move(functionCall)) {}
  const std::string& name() const { return functionCall_.name; }
  const JSONValue::Object& args() const { return functionCall_.args; }
  const FunctionCall& functionCall() const { return functionCall_; }
  bool operator==(const FunctionCallPart& other) const;

 private:
  FunctionCall functionCall_;
};

class FunctionResponsePart {
 public:
  FunctionResponsePart(std::string name, JSONValue::Object response)
      : functionResponse_{std::move(name), std::move(response)} {}
  explicit FunctionResponsePart(FunctionResponse functionResponse) : functionResponse_(std::move(functionResponse)) {}
  const std::string& name() const { return functionResponse_.name; }
  const JSONValue::Object& response() const { return functionResponse_.response; }
  const FunctionResponse& functionResponse() const { return functionResponse_; }
  bool operator==(const FunctionResponsePart& other) const;

 private:
  FunctionResponse functionResponse_;
};

// Stands where a conversion (an image into JPEG, say) could not make a real
// part. A request holding one fails with its error before anything is sent;
// it cannot be encoded, and the decoder never makes one.
class ErrorPart {
 public:
  explicit ErrorPart(platform::ErrorPtr error) : error_(std::move(error)) {}
  const platform::ErrorPtr& error() const { return error_; }
  // The same error object.
  bool operator==(const ErrorPart& other) const { return error_ == other.error_; }

 private:
  platform::ErrorPtr error_;
};

// One part of a content, of any of the kinds above.
using Part = std::variant<TextPart, InlineDataPart, FileDataPart, FunctionCallPart, FunctionResponsePart, ErrorPart>;

template <typename T>
concept PartType = std::constructible_from<Part, T> && !std::same_as<std::remove_cvref_t<T>, Part>;

// Anything that can become parts, in order: a text (one text part), a part,
// a list of such values (their parts one after the other), an image (its one
// part, see ImageParts.hpp), or any type with a `partsValue()` that answers
// parts.
class PartsRepresentable {
 public:
  PartsRepresentable(std::string text);
  PartsRepresentable(const char* text);
  PartsRepresentable(Part part);
  template <PartType P>
  PartsRepresentable(P part) : PartsRepresentable(Part(std::move(part))) {}
  PartsRepresentable(std::vector<PartsRepresentable> values);
  PartsRepresentable(const platform::imaging::CGImage& image);
  PartsRepresentable(const platform::imaging::CIImage& image);
  PartsRepresentable(const platform::imaging::NSImage& image);
  template <typename T>
    requires(!std::same_as<T, PartsRepresentable>) && requires(const T& value) {
      { value.partsValue() } -> std::convertible_to<std::vector<Part>>;
    }
  PartsRepresentable(const T& value) : parts_(value.partsValue()) {}

  const std::vector<Part>& partsValue() const& { return parts_; }
  std::vector<Part> partsValue() && { return std::move(parts_); }

 private:
  std::vector<Part> parts_;
};

}  // namespace firebase::vertexai
