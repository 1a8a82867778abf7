#pragma once

#include <mutex>
#include <vector>

#include "FirebaseVertexAI/ModelContent.hpp"

namespace firebase::vertexai {

// A chat's conversation so far, oldest first, shared by its sends. The lock
// is held only while the list is read, replaced or added to, never across a
// call to the model: a send reads a snapshot when it starts and adds its turn
// when it ends.
class ChatHistory {
 public:
  explicit ChatHistory(std::vector<ModelContent> contents = {});
  ChatHistory(const ChatHistory&) = delete;
  ChatHistory& operator=(const ChatHistory&) = delete;

  std::vector<ModelContent> contents() const;
  void replace(std::vector<ModelContent> contents);

  // Adds one completed send: its new contents, then the model's reply, in
  // one step, so that sends that overlap never interleave their turns. A
  // content without parts never enters (the service refuses every later
  // request of a history holding one): new contents without parts are left
  // out, and a reply without parts leaves the whole turn out, so that the
  // history keeps answering each turn.
  void appendTurn(std::vector<ModelContent> newContents, ModelContent reply);

 private:
  mutable std::mutex mutex_;
  std::vector<ModelContent> contents_;
};

}  // namespace firebase::vertexai
