// The model's side of a one-shot call: the request it builds, its checks of
// the response, and its handle.
#include <gtest/gtest.h>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

using test_doubles::VertexAIBackend;
using testing::Delivered;

class GenerateContentTest : public testing::ConfiguredAppTest {
 protected:
  static std::shared_ptr<GenerativeModel> model(GenerativeModel::Settings settings = {}) {
    return *(*VertexAI::vertexAI(nullptr, "us-central1"))
                ->generativeModel("gemini-2.0-flash-lite", {180}, std::move(settings));
  }
  Result<GenerateContentResponse> generate(const std::string& reply) {
    backend.server.reply(200, reply);
    Delivered<GenerateContentResponse> delivered;
    model()->generateContent("Hi", delivered.queue, delivered.completion());
    return delivered.wait();
  }
  VertexAIBackend backend;
};

struct CheckCase {
  const char* name;
  std::string reply;
  std::optional<GenerateContentError::Kind> refusal;  // absent: the response is delivered
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class ResponseChecks : public GenerateContentTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ResponseChecks, RefuseOnlyBlockedAndStoppedResponses) {
  const auto& c = GetParam();
  auto result = generate(c.reply);
  if (!c.refusal) {
    EXPECT_TRUE(result) << testing::describe(result ? nullptr : result.error());
    return;
  }
  ASSERT_FALSE(result);
  const auto* error = platform::errorAs<GenerateContentError>(result.error());
  ASSERT_NE(error, nullptr) << testing::describe(result.error());
  EXPECT_EQ(error->kind(), *c.refusal);
  ASSERT_TRUE(error->response());  // both carry the whole response
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResponseChecks,
    ::testing::Values(
        CheckCase{"Stop", test_doubles::responseWithText("fine"), std::nullopt},
        CheckCase{"NoFinishReason", R"({"candidates":[{"content":{"parts":[{"text":"a"}]}}]})", std::nullopt},
        CheckCase{"NoCandidates", R"({"candidates":[]})", std::nullopt},
        CheckCase{"FeedbackWithoutBlockReason", R"({"candidates":[],"promptFeedback":{"safetyRatings":[]}})",
                  std::nullopt},
        CheckCase{"MaxTokens", test_doubles::responseWithText("cut", "MAX_TOKENS"),
                  GenerateContentError::Kind::responseStoppedEarly},
        CheckCase{"UnknownReason", test_doubles::responseWithText("x", "NEW_REASON"),
                  GenerateContentError::Kind::responseStoppedEarly},
        CheckCase{"Blocked", R"({"promptFeedback":{"blockReason":"SAFETY"}})", GenerateContentError::Kind::promptBlocked},
        CheckCase{"BlockedWithCandidates", R"({"candidates":[],"promptFeedback":{"blockReason":"OTHER"}})",
                  GenerateContentError::Kind::promptBlocked}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GenerateContentTest, TheRequestCarriesTheModelsSettingsAndOnlyThem) {
  backend.answer("ok");
  Delivered<GenerateContentResponse> delivered;
  model({.generationConfig = GenerationConfig{.temperature = 0.5f},
         .systemInstruction = ModelContent(std::string("system"), {"Be brief."})})
      ->generateContent(std::vector<ModelContent>{ModelContent(std::string("model"), {"Earlier."}), ModelContent({"Hi"})},
                        delivered.queue, delivered.completion());
  ASSERT_TRUE(delivered.wait());
  EXPECT_TRUE(testing::isJSON(backend.server.requests().back().body, R"({
      "contents": [{"role": "model", "parts": [{"text": "Earlier."}]}, {"role": "user", "parts": [{"text": "Hi"}]}],
      "generationConfig": {"temperature": 0.5},
      "systemInstruction": {"parts": [{"text": "Be brief."}]}})"));
}

TEST_F(GenerateContentTest, AnErrorPartFailsTheCallBeforeAnythingIsSent) {
  auto conversion = platform::makeError("ImageConversion", 1, "cannot make JPEG data");
  for (bool streamed : {false, true}) {
    SCOPED_TRACE(streamed ? "streamed" : "one-shot");
    std::vector<ModelContent> contents{ModelContent({"look:", Part(ErrorPart(conversion))})};
    platform::ErrorPtr failure;
    if (streamed) {
      testing::StreamRecorder recorder;
      model()->generateContentStream(contents, recorder.queue, recorder.handlers());
      ASSERT_TRUE(recorder.waitForEnd());
      EXPECT_EQ(recorder.responseCount(), 0u);
      failure = recorder.endError();
    } else {
      Delivered<GenerateContentResponse> delivered;
      model()->generateContent(contents, delivered.queue, delivered.completion());
      auto result = delivered.wait();
      ASSERT_FALSE(result);
      failure = result.error();
    }
    EXPECT_EQ(failure, conversion);
  }
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

TEST_F(GenerateContentTest, CancellingEndsTheCallOnceWithTheCancelledError) {
  auto received = testing::makeSignal(), release = testing::makeSignal();
  backend.server.handle([received, release](auto& exchange) {
    received->raise();
    release->wait();
    exchange.respond(200, test_doubles::responseWithText("too late"));
  });
  Delivered<GenerateContentResponse> delivered;
  auto operation = model()->generateContent("Hi", delivered.queue, delivered.completion());
  received->wait();
  operation->cancel();
  auto result = delivered.wait();
  release->raise();
  ASSERT_FALSE(result);
  const auto* error = platform::errorAs<GenerateContentError>(result.error());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->underlying()->code(), platform::URLErrorCancelled);
  EXPECT_TRUE(operation->isCancelled());
}

}  // namespace
}  // namespace firebase::vertexai
