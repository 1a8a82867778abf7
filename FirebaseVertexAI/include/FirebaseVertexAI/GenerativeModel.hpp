#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/Chat.hpp"
#include "FirebaseVertexAI/CountTokensResponse.hpp"
#include "FirebaseVertexAI/FirebaseInfo.hpp"
#include "FirebaseVertexAI/FunctionCalling.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/GenerationConfig.hpp"
#include "FirebaseVertexAI/GenerativeAIService.hpp"
#include "FirebaseVertexAI/ModelContent.hpp"
#include "FirebaseVertexAI/Operation.hpp"
#include "FirebaseVertexAI/Safety.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// One generative model: its names, the settings every call repeats and the
// service that sends the calls. Immutable once made (by VertexAI, always held
// by a shared pointer); calls may run at once from any thread, each building
// its own request.
class GenerativeModel final : public std::enable_shared_from_this<GenerativeModel> {
 public:
  // What a model may add to every request besides its contents.
  struct Settings {
    std::optional<GenerationConfig> generationConfig = std::nullopt;
    std::optional<std::vector<SafetySetting>> safetySettings = std::nullopt;
    std::optional<std::vector<Tool>> tools = std::nullopt;
    std::optional<ToolConfig> toolConfig = std::nullopt;
    std::optional<ModelContent> systemInstruction = std::nullopt;
  };

  GenerativeModel(std::string modelName, std::string modelResourceName, FirebaseInfo firebaseInfo, APIConfig apiConfig,
                  Settings settings, RequestOptions requestOptions, platform::URLSession& urlSession);

  const std::string& modelName() const { return modelName_; }
  const std::string& modelResourceName() const { return modelResourceName_; }
  const APIConfig& apiConfig() const { return apiConfig_; }
  const GenerativeAIService& generativeAIService() const { return service_; }
  // The system instruction is kept without a role.
  const Settings& settings() const { return settings_; }
  const RequestOptions& requestOptions() const { return requestOptions_; }

  // One call with the parts as one "user" content (a plain string is one
  // text part). Delivers the response, or: a part's conversion failure
  // unchanged (nothing is sent), promptBlocked, responseStoppedEarly, or
  // internalError around any other failure.
  OperationHandle generateContent(PartsRepresentable parts, platform::DispatchQueue& queue,
                                  Completion<GenerateContentResponse> completion) const;
  OperationHandle generateContent(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                  Completion<GenerateContentResponse> completion) const;

  // The same call streamed: each response as it arrives, then the end or the
  // error (the same errors as above; a blocked or stopped response ends the
  // stream, and a response without candidates is delivered).
  OperationHandle generateContentStream(PartsRepresentable parts, platform::DispatchQueue& queue,
                                        StreamHandlers<GenerateContentResponse> handlers) const;
  OperationHandle generateContentStream(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                        StreamHandlers<GenerateContentResponse> handlers) const;

  // How many tokens the parts (as one "user" content), or the contents, would
  // use. Delivers the count, or the service's error unchanged; contents
  // holding a part whose conversion failed are refused with its error before
  // anything is sent.
  OperationHandle countTokens(PartsRepresentable parts, platform::DispatchQueue& queue,
                              Completion<CountTokensResponse> completion) const;
  OperationHandle countTokens(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                              Completion<CountTokensResponse> completion) const;

  // A conversation with this model that starts from the history.
  std::shared_ptr<Chat> startChat(std::vector<ModelContent> history = {}) const;

  // The request a call with these contents sends.
  GenerateContentRequest makeRequest(std::vector<ModelContent> contents, GenerateContentRequest::APIMethod method) const;

 private:
  std::string modelName_;
  std::string modelResourceName_;
  APIConfig apiConfig_;
  GenerativeAIService service_;
  Settings settings_;
  RequestOptions requestOptions_;
};

// The error that a generate call delivers for a failure of the service: a
// GenerateContentError unchanged, any other inside internalError.
platform::ErrorPtr generateContentFailure(platform::ErrorPtr error);
// The error of a response the model must refuse (blocked prompt, or a first
// candidate that stopped for another reason than STOP); null when it passes.
platform::ErrorPtr refusedResponseError(const GenerateContentResponse& response);

}  // namespace firebase::vertexai
