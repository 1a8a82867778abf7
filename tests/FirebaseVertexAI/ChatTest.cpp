// A conversation against a loopback backend: what each send carries, what the
// history keeps after one-shot and streamed sends, and what it keeps after
// failures and overlapping sends.
#include <gtest/gtest.h>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/Chat.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/Json.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

using test_doubles::VertexAIBackend;
using testing::Delivered;
using Exchange = test_support::ScriptedHTTPServer::Exchange;

ModelContent user(const std::string& text) { return ModelContent(std::string("user"), {text}); }
ModelContent reply(std::vector<PartsRepresentable> parts) { return ModelContent(std::string("model"), std::move(parts)); }

// One streamed chunk whose first candidate holds the parts (JSON).
std::string chunk(const std::string& partsJSON) {
  return R"(data: {"candidates":[{"content":{"role":"model","parts":)" + partsJSON + "}}]}\r\n\r\n";
}

// The texts of the request's contents, role and text: "user:Hi".
std::vector<std::string> sentTurns(const std::string& body) {
  std::vector<std::string> turns;
  const auto request = platform::json::parse(body);
  if (!request) return {"<not JSON>"};
  for (const auto& content : (*request)["contents"]) {
    std::string turn = content.value("role", "<none>") + ":";
    for (const auto& part : content["parts"]) turn += part.value("text", "<part>");
    turns.push_back(turn);
  }
  return turns;
}

class ChatTest : public testing::ConfiguredAppTest {
 protected:
  static std::shared_ptr<Chat> startChat(std::vector<ModelContent> history = {}) {
    auto model = *(*VertexAI::vertexAI(nullptr, "us-central1"))->generativeModel("gemini-2.0-flash-lite", {180});
    return model->startChat(std::move(history));
  }
  static Result<GenerateContentResponse> send(Chat& chat, PartsRepresentable message) {
    Delivered<GenerateContentResponse> delivered;
    chat.sendMessage(std::move(message), delivered.queue, delivered.completion());
    return delivered.wait();
  }
  std::vector<std::string> lastSentTurns() const { return sentTurns(backend.server.requests().back().body); }

  VertexAIBackend backend;
};

TEST_F(ChatTest, ASendCarriesTheHistoryAndAddsItsTurn) {
  auto chat = startChat();
  backend.answer("Hello!");
  ASSERT_TRUE(send(*chat, "Hi"));
  EXPECT_EQ(backend.server.requests().back().target, VertexAIBackend::generatePath("gemini-2.0-flash-lite"));
  EXPECT_EQ(backend.server.requests().back().body, R"({"contents":[{"role":"user","parts":[{"text":"Hi"}]}]})");
  EXPECT_EQ(chat->history(), (std::vector<ModelContent>{user("Hi"), reply({"Hello!"})}));

  backend.answer("Fine.");
  ASSERT_TRUE(send(*chat, "How are you?"));
  EXPECT_EQ(lastSentTurns(), (std::vector<std::string>{"user:Hi", "model:Hello!", "user:How are you?"}));
  EXPECT_EQ(chat->history().size(), 4u);

  chat->setHistory({});
  ASSERT_TRUE(send(*chat, "Again"));
  EXPECT_EQ(lastSentTurns(), std::vector<std::string>{"user:Again"});
}

TEST_F(ChatTest, AContentKeepsItsRoleAndOneWithoutGetsUser) {
  auto chat = startChat({user("Earlier"), reply({"Yes"})});
  backend.answer("Sure.");
  Delivered<GenerateContentResponse> delivered;
  chat->sendMessage(std::vector<ModelContent>{ModelContent(std::string("model"), {"Said before"}),
                                              ModelContent(std::nullopt, {"Now"})},
                    delivered.queue, delivered.completion());
  ASSERT_TRUE(delivered.wait());
  EXPECT_EQ(lastSentTurns(), (std::vector<std::string>{"user:Earlier", "model:Yes", "model:Said before", "user:Now"}));
  EXPECT_EQ(chat->history(), (std::vector<ModelContent>{user("Earlier"), reply({"Yes"}), reply({"Said before"}),
                                                        user("Now"), reply({"Sure."})}));
}

// One-shot sends that fail, or answer nothing to keep: the history stays as
// it was, and the next request is one the backend takes.
struct FailedSendCase {
  const char* name;
  int status;
  std::string body;
  std::string underlyingDomain;  // empty: the send succeeds
  long underlyingCode;
  std::string underlyingDescription;
};
void PrintTo(const FailedSendCase& c, std::ostream* os) { *os << c.name; }

class ChatSendsKeepingTheHistory : public ChatTest, public ::testing::WithParamInterface<FailedSendCase> {};

TEST_P(ChatSendsKeepingTheHistory, LeaveItAsItWas) {
  const auto& c = GetParam();
  const std::vector<ModelContent> before{user("Earlier"), reply({"Yes"})};
  auto chat = startChat(before);
  backend.server.reply(c.status, c.body);
  auto result = send(*chat, "Hi");
  EXPECT_EQ(chat->history(), before);
  if (c.underlyingDomain.empty()) {
    EXPECT_TRUE(result) << testing::describe(result ? nullptr : result.error());
  } else {
    ASSERT_FALSE(result);
    const auto* error = platform::errorAs<GenerateContentError>(result.error());
    ASSERT_NE(error, nullptr) << testing::describe(result.error());
    ASSERT_EQ(error->kind(), GenerateContentError::Kind::internalError);
    EXPECT_EQ(error->underlying()->domain(), c.underlyingDomain);
    EXPECT_EQ(error->underlying()->code(), c.underlyingCode);
    if (!c.underlyingDescription.empty()) {
      EXPECT_EQ(error->underlying()->localizedDescription(), c.underlyingDescription);
    }
  }
  backend.answer("ok");
  ASSERT_TRUE(send(*chat, "Next"));
  EXPECT_EQ(lastSentTurns(), (std::vector<std::string>{"user:Earlier", "model:Yes", "user:Next"}));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ChatSendsKeepingTheHistory,
    ::testing::Values(
        FailedSendCase{"NoCandidates", 200, R"({"candidates":[]})", "com.google.generative-ai", -1,
                       "No candidates with content available."},
        FailedSendCase{"BackendError", 400, R"({"error":{"code":400,"message":"Bad","status":"INVALID_ARGUMENT"}})",
                       BackendError::kDomain, 400, ""},
        FailedSendCase{"UndecodableBody", 200, "<html>", platform::json::kErrorDomain,
                       platform::json::kDecodingCorruptCode, ""},
        // Succeeds, but a reply without parts would make every later request
        // of the chat one the backend refuses: the turn is not kept.
        FailedSendCase{"ReplyWithoutParts", 200,
                       R"({"candidates":[{"content":{"role":"model","parts":[]},"finishReason":"STOP"}]})", "", 0,
                       ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChatTest, AStreamedReplyIsKeptAsOneContentWithItsTextsJoined) {
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
    ModelContent kept;
  } cases[] = {
      {"HalvesOfOneWord", {chunk(R"([{"text":"Hel"}])"), chunk(R"([{"text":"lo"}])")}, reply({"Hello"})},
      {"TextDataText",
       {chunk(R"([{"text":"a"},{"inlineData":{"mimeType":"image/png","data":"AQI="}}])"), chunk(R"([{"text":"b"}])")},
       reply({"a", InlineDataPart(Bytes{1, 2}, "image/png"), "b"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    backend.server.handle([chunks = c.chunks](Exchange& exchange) {
      exchange.beginChunked(200);
      for (const auto& piece : chunks) exchange.sendChunk(piece);
      exchange.endChunked();
    });
    auto chat = startChat();
    testing::StreamRecorder recorder;
    chat->sendMessageStream("Hi", recorder.queue, recorder.handlers());
    ASSERT_TRUE(recorder.waitForEnd());
    EXPECT_EQ(recorder.endError(), nullptr) << testing::describe(recorder.endError());
    EXPECT_EQ(recorder.responseCount(), c.chunks.size());
    EXPECT_EQ(chat->history(), (std::vector<ModelContent>{user("Hi"), c.kept}));
  }
}

// However a stream ends early after two chunks, the caller gets both, then
// the error once, and the two chunks never enter the history as a reply.
TEST_F(ChatTest, AStreamThatFailsAfterTwoChunksDeliversThemThenTheErrorAndKeepsNothing) {
  enum class Failure { connectionDrops, stoppedEarly, cancelled };
  struct Case {
    const char* name;
    Failure failure;
  } cases[] = {{"ConnectionDrops", Failure::connectionDrops},
               {"ThirdChunkStoppedForSafety", Failure::stoppedEarly},
               {"CancelledByTheCaller", Failure::cancelled}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto release = testing::makeSignal();
    backend.server.handle([failure = c.failure, release](Exchange& exchange) {
      exchange.beginChunked(200);
      exchange.sendChunk(chunk(R"([{"text":"one"}])"));
      exchange.sendChunk(chunk(R"([{"text":"two"}])"));
      if (failure == Failure::connectionDrops) {
        exchange.sendRaw("40\r\ndata: {\"candi");  // the connection drops inside a chunk
      } else if (failure == Failure::stoppedEarly) {
        exchange.sendChunk(R"(data: {"candidates":[{"content":{"role":"model","parts":[{"text":"three"}]},)"
                           R"("finishReason":"SAFETY"}]})" "\r\n\r\n");
        exchange.endChunked();
      } else {
        release->wait();
      }
    });
    auto chat = startChat({user("Earlier"), reply({"Yes"})});
    testing::StreamRecorder recorder;
    auto operation = chat->sendMessageStream("Hi", recorder.queue, recorder.handlers());
    if (c.failure == Failure::cancelled) {
      ASSERT_TRUE(recorder.waitForResponses(2));
      operation->cancel();
    }
    ASSERT_TRUE(recorder.waitForEnd());
    release->raise();
    EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"one", "two"}));
    const auto* error = platform::errorAs<GenerateContentError>(recorder.endError());
    ASSERT_NE(error, nullptr) << testing::describe(recorder.endError());
    if (c.failure == Failure::stoppedEarly) {
      EXPECT_EQ(error->kind(), GenerateContentError::Kind::responseStoppedEarly);
    } else {
      EXPECT_EQ(error->underlying()->domain(), platform::kURLErrorDomain);
      if (c.failure == Failure::cancelled) {
        EXPECT_EQ(error->underlying()->code(), platform::URLErrorCancelled);
      }
    }
    EXPECT_EQ(chat->history(), (std::vector<ModelContent>{user("Earlier"), reply({"Yes"})}));
  }
}

TEST_F(ChatTest, AStreamWithoutCandidatesKeepsNoTurn) {
  backend.server.handle([](Exchange& exchange) {
    exchange.beginChunked(200);
    exchange.sendChunk("data: {\"candidates\":[]}\r\n\r\n");
    exchange.endChunked();
  });
  auto chat = startChat();
  testing::StreamRecorder recorder;
  chat->sendMessageStream("Hi", recorder.queue, recorder.handlers());
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_EQ(recorder.endError(), nullptr);
  EXPECT_EQ(recorder.responseCount(), 1u);
  EXPECT_TRUE(chat->history().empty());
}

// Two sends at once, the second answered first: each carries the history as
// it was when it started, and each turn is kept whole, in the order the
// answers came.
TEST_F(ChatTest, OverlappingSendsKeepEachTurnWhole) {
  for (bool streamed : {false, true}) {
    SCOPED_TRACE(streamed ? "streamed" : "one-shot");
    auto firstArrived = testing::makeSignal(), releaseFirst = testing::makeSignal();
    backend.server.handle([firstArrived, releaseFirst, streamed](Exchange& exchange) {
      const auto turns = sentTurns(exchange.request().body);
      const bool first = turns.back() == "user:one";
      if (first) {
        firstArrived->raise();
        releaseFirst->wait();
      }
      const std::string text = first ? "reply one" : "reply two";
      if (!streamed) {
        exchange.respond(200, test_doubles::responseWithText(text));
        return;
      }
      exchange.beginChunked(200);
      exchange.sendChunk(chunk(R"([{"text":")" + text + R"("}])"));
      exchange.endChunked();
    });
    auto chat = startChat({user("Earlier"), reply({"Yes"})});
    if (streamed) {
      testing::StreamRecorder one, two;
      chat->sendMessageStream("one", one.queue, one.handlers());
      firstArrived->wait();
      chat->sendMessageStream("two", two.queue, two.handlers());
      ASSERT_TRUE(two.waitForEnd());
      releaseFirst->raise();
      ASSERT_TRUE(one.waitForEnd());
      EXPECT_EQ(one.endError(), nullptr);
      EXPECT_EQ(two.endError(), nullptr);
    } else {
      Delivered<GenerateContentResponse> one, two;
      chat->sendMessage("one", one.queue, one.completion());
      firstArrived->wait();
      chat->sendMessage("two", two.queue, two.completion());
      ASSERT_TRUE(two.wait());
      releaseFirst->raise();
      ASSERT_TRUE(one.wait());
    }
    for (const auto& request : backend.server.requests()) {
      const auto turns = sentTurns(request.body);
      EXPECT_EQ(turns.size(), 3u) << "each send starts from the same history";
    }
    EXPECT_EQ(chat->history(), (std::vector<ModelContent>{user("Earlier"), reply({"Yes"}), user("two"),
                                                          reply({"reply two"}), user("one"), reply({"reply one"})}));
  }
}

TEST_F(ChatTest, AHistoryOfTenThousandTurnsIsSentWhole) {
  std::vector<ModelContent> history;
  for (int i = 0; i < 5000; ++i) {
    history.push_back(user("question " + std::to_string(i)));
    history.push_back(reply({"answer " + std::to_string(i)}));
  }
  auto chat = startChat(history);
  backend.answer("done");
  ASSERT_TRUE(send(*chat, "last"));
  const auto turns = lastSentTurns();
  ASSERT_EQ(turns.size(), 10001u);
  EXPECT_EQ(turns[9999], "model:answer 4999");
  EXPECT_EQ(turns.back(), "user:last");
  EXPECT_EQ(chat->history().size(), 10002u);
}

}  // namespace
}  // namespace firebase::vertexai
