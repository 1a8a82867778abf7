#include "FirebaseVertexAI/GenerativeModel.hpp"

#include <algorithm>

#include "FirebaseVertexAI/CountTokensRequest.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/Bundle.hpp"

namespace firebase::vertexai {

GenerativeModel::GenerativeModel(std::string modelName, std::string modelResourceName, FirebaseInfo firebaseInfo,
                                 APIConfig apiConfig, Settings settings, RequestOptions requestOptions,
                                 platform::URLSession& urlSession)
    : modelName_(std::move(modelName)), modelResourceName_(std::move(modelResourceName)), apiConfig_(apiConfig),
      service_(std::move(firebaseInfo), urlSession), settings_(std::move(settings)), requestOptions_(requestOptions) {
  if (settings_.systemInstruction)
    settings_.systemInstruction = ModelContent::fromParts(std::nullopt, settings_.systemInstruction->parts());
  const auto& arguments = platform::process_info::arguments();
  if (std::find(arguments.begin(), arguments.end(), "-FIRDebugEnabled") == arguments.end())
    logVertexAI(kGULLoggerLevelInfo, VertexLogMessageCode::verboseLoggingDisabled,
                "[FirebaseVertexAI] To enable additional logging, add `-FIRDebugEnabled` as a launch argument in "
                "Xcode.");
  else
    logVertexAI(kGULLoggerLevelDebug, VertexLogMessageCode::verboseLoggingEnabled, "Verbose logging enabled.");
  logVertexAI(kGULLoggerLevelDebug, VertexLogMessageCode::generativeModelInitialized,
              "Model " + modelResourceName_ + " initialized.");
}

platform::ErrorPtr generateContentFailure(platform::ErrorPtr error) {
  if (platform::errorAs<GenerateContentError>(error)) return error;
  return GenerateContentError::internalError(std::move(error));
}

platform::ErrorPtr refusedResponseError(const GenerateContentResponse& response) {
  if (response.promptFeedback && response.promptFeedback->blockReason)
    return GenerateContentError::promptBlocked(response);
  if (response.candidates.empty()) return nullptr;
  const auto& reason = response.candidates.front().finishReason;
  if (reason && reason->rawValue() != FinishReason::stop.rawValue())
    return GenerateContentError::responseStoppedEarly(*reason, response);
  return nullptr;
}

GenerateContentRequest GenerativeModel::makeRequest(std::vector<ModelContent> contents,
                                                    GenerateContentRequest::APIMethod method) const {
  return GenerateContentRequest{modelResourceName_,       std::move(contents),        settings_.generationConfig,
                                settings_.safetySettings, settings_.tools,            settings_.toolConfig,
                                settings_.systemInstruction, apiConfig_,              method,
                                requestOptions_};
}

OperationHandle GenerativeModel::generateContent(PartsRepresentable parts, platform::DispatchQueue& queue,
                                                 Completion<GenerateContentResponse> completion) const {
  return generateContent(singleUserContent(std::move(parts)), queue, std::move(completion));
}

OperationHandle GenerativeModel::generateContent(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                                 Completion<GenerateContentResponse> completion) const {
  if (auto failure = rejectErrorParts(contents)) {
    queue.async([completion = std::move(completion), failure] { completion(std::unexpected(failure)); });
    return std::make_shared<Operation>();
  }
  auto request = makeRequest(std::move(contents), GenerateContentRequest::APIMethod::generateContent);
  return service_.performRequest(
      request, queue, [completion = std::move(completion)](Result<GenerateContentResponse> result) {
        if (!result) return completion(std::unexpected(generateContentFailure(result.error())));
        if (auto refused = refusedResponseError(*result)) return completion(std::unexpected(refused));
        completion(std::move(result));
      });
}

OperationHandle GenerativeModel::generateContentStream(PartsRepresentable parts, platform::DispatchQueue& queue,
                                                       StreamHandlers<GenerateContentResponse> handlers) const {
  return generateContentStream(singleUserContent(std::move(parts)), queue, std::move(handlers));
}

OperationHandle GenerativeModel::generateContentStream(std::vector<ModelContent> contents,
                                                       platform::DispatchQueue& queue,
                                                       StreamHandlers<GenerateContentResponse> handlers) const {
  if (auto failure = rejectErrorParts(contents)) {
    queue.async([onEnd = std::move(handlers.onEnd), failure] { onEnd(failure); });
    return std::make_shared<Operation>();
  }
  auto request = makeRequest(std::move(contents), GenerateContentRequest::APIMethod::streamGenerateContent);
  return service_.performStreamRequest(request, queue,
                                       {std::move(handlers.onElement),
                                        [onEnd = std::move(handlers.onEnd)](platform::ErrorPtr error) {
                                          onEnd(error ? generateContentFailure(std::move(error)) : nullptr);
                                        }},
                                       refusedResponseError);
}

OperationHandle GenerativeModel::countTokens(PartsRepresentable parts, platform::DispatchQueue& queue,
                                             Completion<CountTokensResponse> completion) const {
  return countTokens(singleUserContent(std::move(parts)), queue, std::move(completion));
}

OperationHandle GenerativeModel::countTokens(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                             Completion<CountTokensResponse> completion) const {
  auto request = CountTokensRequest::make(
      modelName_, makeRequest(std::move(contents), GenerateContentRequest::APIMethod::countTokens));
  if (!request) {
    queue.async([completion = std::move(completion), failure = request.error()] { completion(std::unexpected(failure)); });
    return std::make_shared<Operation>();
  }
  return service_.performRequest(*request, queue, std::move(completion));
}

std::shared_ptr<Chat> GenerativeModel::startChat(std::vector<ModelContent> history) const {
  return std::make_shared<Chat>(shared_from_this(), std::move(history));
}

}  // namespace firebase::vertexai
