#pragma once

#include <memory>
#include <vector>

#include "FirebaseVertexAI/ChatHistory.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/ModelContent.hpp"
#include "FirebaseVertexAI/Operation.hpp"
#include "foundation/Dispatch.hpp"

namespace firebase::vertexai {

class GenerativeModel;

// A conversation with one model (GenerativeModel::startChat): every send
// carries the history so far and the new message, and a send that succeeds
// adds the message and the model's reply to the history. A send that fails
// leaves the history as it was. Sends may overlap; each builds its request
// from the history as it was when it started.
class Chat final {
 public:
  Chat(std::shared_ptr<const GenerativeModel> model, std::vector<ModelContent> history);

  // The turns so far, oldest first; replacing them (with none, say) changes
  // what the next send carries.
  std::vector<ModelContent> history() const { return history_->contents(); }
  void setHistory(std::vector<ModelContent> history) { history_->replace(std::move(history)); }

  // Sends the parts as one "user" content. Delivers the response, or the
  // model's error unchanged, or internalError around "No candidates with
  // content available." for a response without candidates.
  OperationHandle sendMessage(PartsRepresentable parts, platform::DispatchQueue& queue,
                              Completion<GenerateContentResponse> completion);
  // Contents without a role are sent (and kept) as "user" contents.
  OperationHandle sendMessage(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                              Completion<GenerateContentResponse> completion);

  // The same, streamed: each response as it arrives, then the end or the
  // model's error. At a normal end the history gains the new contents and
  // one "model" reply of every chunk's first candidate, its texts joined.
  OperationHandle sendMessageStream(PartsRepresentable parts, platform::DispatchQueue& queue,
                                    StreamHandlers<GenerateContentResponse> handlers);
  OperationHandle sendMessageStream(std::vector<ModelContent> contents, platform::DispatchQueue& queue,
                                    StreamHandlers<GenerateContentResponse> handlers);

  // The error underneath internalError for a one-shot reply without
  // candidates.
  static platform::ErrorPtr noCandidatesError();

 private:
  // A send's new contents (each with a role) and what it sends: the history
  // as it is now, then the new contents.
  struct Turn {
    std::vector<ModelContent> newContents;
    std::vector<ModelContent> request;
  };
  Turn prepareTurn(std::vector<ModelContent> contents) const;

  std::shared_ptr<const GenerativeModel> model_;
  // Shared with the sends under way, which add their turn when they end.
  std::shared_ptr<ChatHistory> history_;
};

}  // namespace firebase::vertexai
