#include "FirebaseVertexAI/ChatHistory.hpp"

namespace firebase::vertexai {

ChatHistory::ChatHistory(std::vector<ModelContent> contents) : contents_(std::move(contents)) {}

std::vector<ModelContent> ChatHistory::contents() const {
  std::lock_guard lock(mutex_);
  return contents_;
}

void ChatHistory::replace(std::vector<ModelContent> contents) {
  std::lock_guard lock(mutex_);
  contents_ = std::move(contents);
}

void ChatHistory::appendTurn(std::vector<ModelContent> newContents, ModelContent reply) {
  if (reply.parts().empty()) return;
  std::erase_if(newContents, [](const ModelContent& content) { return content.parts().empty(); });
  std::lock_guard lock(mutex_);
  for (auto& content : newContents) contents_.push_back(std::move(content));
  contents_.push_back(std::move(reply));
}

}  // namespace firebase::vertexai
