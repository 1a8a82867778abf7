#include "FirebaseVertexAI/Chat.hpp"

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/GenerativeModel.hpp"

namespace firebase::vertexai {

Chat::Chat(std::shared_ptr<const GenerativeModel> model, std::vector<ModelContent> history)
    : model_(std::move(model)), history_(std::make_shared<ChatHistory>(std::move(history))) {}

platform::ErrorPtr Chat::noCandidatesError() {
  return platform::makeError("com.google.generative-ai", -1, "No candidates with content available.");
}

Chat::Turn Chat::prepareTurn(std::vector<ModelContent> contents) const {
  Turn turn{withUserRoleIfMissing(std::move(contents)), history_->contents()};
  turn.request.insert(turn.request.end(), turn.newContents.begin(), turn.newContents.end());
  return turn;
}

OperationHandle Chat::sendMessage(PartsRepresentable parts, platform::DispatchQueue& queue,
                                  Completion<GenerateContentResponse> completion) {
  return sendMessage(singleUserContent(std::move(parts)), queue, std::move(completion));
}

OperationHandle Chat::sendMessage(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                  Completion<GenerateContentResponse> completion) {
  auto turn = prepareTurn(std::move(contents));
  return model_->generateContent(
      std::move(turn.request), queue,
      [history = history_, newContents = std::move(turn.newContents),
       completion = std::move(completion)](Result<GenerateContentResponse> response) mutable {
        if (!response) return completion(std::move(response));
        if (response->candidates.empty())
          return completion(std::unexpected(GenerateContentError::internalError(noCandidatesError())));
        history->appendTurn(std::move(newContents),
                            ModelContent::fromParts(std::string("model"), response->candidates.front().content.parts()));
        completion(std::move(response));
      });
}

OperationHandle Chat::sendMessageStream(PartsRepresentable parts, platform::DispatchQueue& queue,
                                        StreamHandlers<GenerateContentResponse> handlers) {
  return sendMessageStream(singleUserContent(std::move(parts)), queue, std::move(handlers));
}

OperationHandle Chat::sendMessageStream(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                        StreamHandlers<GenerateContentResponse> handlers) {
  auto turn = prepareTurn(std::move(contents));
  // Both handlers run on the caller's queue, one at a time.
  auto collected = std::make_shared<std::vector<ModelContent>>();
  return model_->generateContentStream(
      std::move(turn.request), queue,
      {[collected, onElement = std::move(handlers.onElement)](GenerateContentResponse response) {
         if (!response.candidates.empty()) collected->push_back(response.candidates.front().content);
         onElement(std::move(response));
       },
       [collected, history = history_, newContents = std::move(turn.newContents),
        onEnd = std::move(handlers.onEnd)](platform::ErrorPtr error) mutable {
         if (!error) history->appendTurn(std::move(newContents), mergedStreamContent(*collected));
         onEnd(std::move(error));
       }});
}

}  // namespace firebase::vertexai
