#include "FirebaseVertexAI/ImagenGenerationRequest.hpp"

namespace firebase::vertexai {

ImageGenerationParameters imageGenerationParameters(const std::optional<ImagenGenerationConfig>& generationConfig,
                                                    const std::optional<ImagenSafetySettings>& safetySettings) {
  ImageGenerationParameters parameters;
  const ImagenGenerationConfig config = generationConfig.value_or(ImagenGenerationConfig{});
  parameters.sampleCount = config.numberOfImages.value_or(1);
  parameters.negativePrompt = config.negativePrompt;
  if (config.aspectRatio) parameters.aspectRatio = config.aspectRatio->rawValue();
  if (config.imageFormat)
    parameters.outputOptions = ImageGenerationOutputOptions{config.imageFormat->mimeType,
                                                            config.imageFormat->compressionQuality};
  parameters.addWatermark = config.addWatermark;
  if (safetySettings && safetySettings->safetyFilterLevel)
    parameters.safetyFilterLevel = safetySettings->safetyFilterLevel->rawValue();
  if (safetySettings && safetySettings->personFilterLevel)
    parameters.personGeneration = safetySettings->personFilterLevel->rawValue();
  parameters.includeResponsibleAIFilterReason = true;
  return parameters;
}

void writeJSON(platform::json::Writer& writer, const ImageGenerationInstance& instance) {
  writer.beginObject();
  writeMember(writer, "prompt", instance.prompt);
  writer.endObject();
}

void writeJSON(platform::json::Writer& writer, const ImageGenerationOutputOptions& options) {
  writer.beginObject();
  writeMember(writer, "mimeType", options.mimeType);
  writeMemberIfPresent(writer, "compressionQuality", options.compressionQuality);
  writer.endObject();
}

void writeJSON(platform::json::Writer& writer, const ImageGenerationParameters& parameters) {
  writer.beginObject();
  writeMemberIfPresent(writer, "sampleCount", parameters.sampleCount);
  writeMemberIfPresent(writer, "storageUri", parameters.storageURI);
  writeMemberIfPresent(writer, "negativePrompt", parameters.negativePrompt);
  writeMemberIfPresent(writer, "aspectRatio", parameters.aspectRatio);
  writeMemberIfPresent(writer, "safetySetting", parameters.safetyFilterLevel);
  writeMemberIfPresent(writer, "personGeneration", parameters.personGeneration);
  writeMemberIfPresent(writer, "outputOptions", parameters.outputOptions);
  writeMemberIfPresent(writer, "addWatermark", parameters.addWatermark);
  writeMemberIfPresent(writer, "includeRaiReason", parameters.includeResponsibleAIFilterReason);
  writer.endObject();
}

}  // namespace firebase::vertexai
