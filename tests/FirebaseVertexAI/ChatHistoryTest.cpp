#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "FirebaseVertexAI/ChatHistory.hpp"

namespace firebase::vertexai {
namespace {

ModelContent user(std::string text) { return ModelContent({std::move(text)}); }
ModelContent reply(std::string text) { return ModelContent(std::string("model"), {std::move(text)}); }
ModelContent withoutParts(std::optional<std::string> role) { return ModelContent(std::move(role), {}); }

TEST(ChatHistoryTest, ATurnAddsTheNewContentsThenTheReply) {
  ChatHistory history({user("earlier"), reply("answer")});
  history.appendTurn({user("a"), ModelContent(std::string("model"), {"b"})}, reply("c"));
  EXPECT_EQ(history.contents(), (std::vector<ModelContent>{user("earlier"), reply("answer"), user("a"),
                                                           ModelContent(std::string("model"), {"b"}), reply("c")}));
  history.replace({});
  EXPECT_TRUE(history.contents().empty());
}

TEST(ChatHistoryTest, NoContentWithoutPartsEverEntersIt) {
  ChatHistory history;
  history.appendTurn({user("hi")}, withoutParts(std::string("model")));
  EXPECT_TRUE(history.contents().empty()) << "a reply without parts leaves the whole turn out";
  history.appendTurn({withoutParts(std::string("user")), user("hi"), withoutParts(std::nullopt)}, reply("hello"));
  EXPECT_EQ(history.contents(), (std::vector<ModelContent>{user("hi"), reply("hello")}));
}

TEST(ChatHistoryTest, OverlappingTurnsNeverInterleave) {
  ChatHistory history;
  constexpr int kThreads = 8;
  constexpr int kTurnsEach = 1250;  // 10,000 turns in all
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&history, t] {
      for (int i = 0; i < kTurnsEach; ++i) {
        const std::string id = std::to_string(t) + "." + std::to_string(i);
        if (i % 250 == 0) (void)history.contents();  // what a send reads for its request
        history.appendTurn({user("question " + id)}, reply("answer " + id));
      }
    });
  for (auto& thread : threads) thread.join();
  const auto contents = history.contents();
  ASSERT_EQ(contents.size(), 2u * kThreads * kTurnsEach);
  for (std::size_t i = 0; i < contents.size(); i += 2) {
    const auto& question = std::get<TextPart>(contents[i].parts()[0]).text();
    const auto& answer = std::get<TextPart>(contents[i + 1].parts()[0]).text();
    ASSERT_EQ(question.substr(std::string("question ").size()), answer.substr(std::string("answer ").size())) << i;
  }
}

}  // namespace
}  // namespace firebase::vertexai
