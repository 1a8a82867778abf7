#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/ImagenGenerationConfig.hpp"
#include "FirebaseVertexAI/ImagenGenerationResponse.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "foundation/Error.hpp"
#include "foundation/JsonWriter.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

struct ImageGenerationInstance {
  std::string prompt;
  bool operator==(const ImageGenerationInstance&) const = default;
};

struct ImageGenerationOutputOptions {
  std::string mimeType;
  std::optional<std::int64_t> compressionQuality = std::nullopt;
  bool operator==(const ImageGenerationOutputOptions&) const = default;
};

// Each is sent only when present; the raw values of the configuration's
// enumerations travel as their strings.
struct ImageGenerationParameters {
  std::optional<std::int64_t> sampleCount = std::nullopt;
  std::optional<std::string> storageURI = std::nullopt;  // sent as "storageUri"
  std::optional<std::string> negativePrompt = std::nullopt;
  std::optional<std::string> aspectRatio = std::nullopt;
  std::optional<std::string> safetyFilterLevel = std::nullopt;  // sent as "safetySetting"
  std::optional<std::string> personGeneration = std::nullopt;
  std::optional<ImageGenerationOutputOptions> outputOptions = std::nullopt;
  std::optional<bool> addWatermark = std::nullopt;
  std::optional<bool> includeResponsibleAIFilterReason = std::nullopt;  // sent as "includeRaiReason"
  bool operator==(const ImageGenerationParameters&) const = default;
};

// What an image model sends with its configuration: one image unless the
// configuration asks for more, the service's filter reasons always, no
// storage URI (the images come back inline).
ImageGenerationParameters imageGenerationParameters(const std::optional<ImagenGenerationConfig>& generationConfig,
                                                    const std::optional<ImagenSafetySettings>& safetySettings);

// One call to an image model's ":predict" method, answered with images of
// the type (inline bytes, or storage URIs).
template <typename ImageType>
struct ImagenGenerationRequest {
  using Response = ImagenGenerationResponse<ImageType>;

  std::string model;  // the model's resource name, for the URL
  APIConfig apiConfig;
  RequestOptions options;
  std::vector<ImageGenerationInstance> instances;
  ImageGenerationParameters parameters;

  bool operator==(const ImagenGenerationRequest&) const = default;

  std::expected<platform::URL, platform::ErrorPtr> url() const { return modelMethodURL(apiConfig, model, ":predict"); }
};

void writeJSON(platform::json::Writer& writer, const ImageGenerationInstance& instance);
void writeJSON(platform::json::Writer& writer, const ImageGenerationOutputOptions& options);
void writeJSON(platform::json::Writer& writer, const ImageGenerationParameters& parameters);

// {"instances": [...], "parameters": {...}}.
template <typename ImageType>
void writeJSON(platform::json::Writer& writer, const ImagenGenerationRequest<ImageType>& request) {
  writer.beginObject();
  writeMember(writer, "instances", request.instances);
  writeMember(writer, "parameters", request.parameters);
  writer.endObject();
}

}  // namespace firebase::vertexai
