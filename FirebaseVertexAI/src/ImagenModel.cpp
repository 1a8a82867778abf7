#include "FirebaseVertexAI/ImagenModel.hpp"

namespace firebase::vertexai {

ImagenModel::ImagenModel(std::string modelResourceName, APIConfig apiConfig, FirebaseInfo firebaseInfo,
                         platform::URLSession& urlSession, std::optional<ImagenGenerationConfig> generationConfig,
                         std::optional<ImagenSafetySettings> safetySettings, RequestOptions requestOptions)
    : modelResourceName_(std::move(modelResourceName)), apiConfig_(apiConfig),
      service_(std::move(firebaseInfo), urlSession), generationConfig_(std::move(generationConfig)),
      safetySettings_(std::move(safetySettings)), requestOptions_(requestOptions) {}

ImagenGenerationRequest<ImagenInlineImage> ImagenModel::makeRequest(const std::string& prompt) const {
  return {.model = modelResourceName_,
          .apiConfig = apiConfig_,
          .options = requestOptions_,
          .instances = {ImageGenerationInstance{prompt}},
          .parameters = imageGenerationParameters(generationConfig_, safetySettings_)};
}

OperationHandle ImagenModel::generateImages(const std::string& prompt, platform::DispatchQueue& queue,
                                            Completion<ImagenGenerationResponse<ImagenInlineImage>> completion) const {
  return service_.performRequest(makeRequest(prompt), queue, std::move(completion));
}

}  // namespace firebase::vertexai
