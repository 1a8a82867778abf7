#pragma once

#include <optional>
#include <string>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/FirebaseInfo.hpp"
#include "FirebaseVertexAI/GenerativeAIService.hpp"
#include "FirebaseVertexAI/ImagenGenerationConfig.hpp"
#include "FirebaseVertexAI/ImagenGenerationRequest.hpp"
#include "FirebaseVertexAI/ImagenGenerationResponse.hpp"
#include "FirebaseVertexAI/Operation.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// An image model (made by VertexAI::imagenModel): generates images from a
// text prompt through the model's ":predict" method. Immutable once made;
// calls may run at once, each building its own request.
class ImagenModel final {
 public:
  ImagenModel(std::string modelResourceName, APIConfig apiConfig, FirebaseInfo firebaseInfo,
              platform::URLSession& urlSession, std::optional<ImagenGenerationConfig> generationConfig,
              std::optional<ImagenSafetySettings> safetySettings, RequestOptions requestOptions);

  const std::string& modelResourceName() const { return modelResourceName_; }
  const APIConfig& apiConfig() const { return apiConfig_; }
  const GenerativeAIService& generativeAIService() const { return service_; }
  const std::optional<ImagenGenerationConfig>& generationConfig() const { return generationConfig_; }
  const std::optional<ImagenSafetySettings>& safetySettings() const { return safetySettings_; }
  const RequestOptions& requestOptions() const { return requestOptions_; }

  // Delivers the images (bytes and type; decoding them is the caller's) with
  // the service's reasons for those it filtered out, or the error: the
  // service's, a decoding error (an image whose Base64 does not decode names
  // its index), or ImagenImagesBlockedError when every image was filtered.
  OperationHandle generateImages(const std::string& prompt, platform::DispatchQueue& queue,
                                 Completion<ImagenGenerationResponse<ImagenInlineImage>> completion) const;

  // The request a call with the prompt sends.
  ImagenGenerationRequest<ImagenInlineImage> makeRequest(const std::string& prompt) const;

 private:
  std::string modelResourceName_;
  APIConfig apiConfig_;
  GenerativeAIService service_;
  std::optional<ImagenGenerationConfig> generationConfig_;
  std::optional<ImagenSafetySettings> safetySettings_;
  RequestOptions requestOptions_;
};

}  // namespace firebase::vertexai
