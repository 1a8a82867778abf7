#include <gtest/gtest.h>

#include <functional>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

BackendError decoded(std::string_view json) {
  auto error = BackendError::decode(json);
  EXPECT_TRUE(error) << testing::describe(error ? nullptr : error.error());
  return error ? *error : BackendError(0, "", RPCStatus::ok, {});
}

TEST(BackendErrorTest, AnEmptyStatusTakesTheDefaults) {
  const auto error = decoded(R"({"error":{}})");
  EXPECT_EQ(error.httpResponseCode(), -1);
  EXPECT_EQ(error.message(), "Unknown error.");
  EXPECT_EQ(error.status(), RPCStatus::unknown);
  EXPECT_TRUE(error.details().empty());
  EXPECT_EQ(error.domain(), "com.google.firebase.vertexai.BackendError");
  EXPECT_EQ(error.code(), -1);
  EXPECT_EQ(error.localizedDescription(), "Unknown error. (com.google.firebase.vertexai.BackendError - HTTP -1 UNKNOWN)");
}

TEST(BackendErrorTest, TheBodysCodeMessageAndStatusMakeTheDescription) {
  const auto error = decoded(R"({"error":{"code":403,"message":"Permission denied on resource project p.",
      "status":"PERMISSION_DENIED"}})");
  EXPECT_EQ(error.code(), 403);
  EXPECT_EQ(error.localizedDescription(),
            "Permission denied on resource project p. (com.google.firebase.vertexai.BackendError - HTTP 403 "
            "PERMISSION_DENIED)");
  EXPECT_EQ(decoded(R"({"error":{"code":429,"message":"","status":"RESOURCE_EXHAUSTED"},"extra":1})").localizedDescription(),
            " (com.google.firebase.vertexai.BackendError - HTTP 429 RESOURCE_EXHAUSTED)");
}

TEST(BackendErrorTest, AStatusNameOutsideTheTableIsUnknown) {
  for (const char* status : {R"("permission_denied")", R"("TEAPOT")", "7", "{}", "null"})
    EXPECT_EQ(decoded(std::string(R"({"error":{"status":)") + status + "}}").status(), RPCStatus::unknown) << status;
  EXPECT_EQ(decoded(R"({"error":{"status":"INTERNAL"}})").status(), RPCStatus::internalError);
  EXPECT_EQ(rawValue(RPCStatus::unauthenticated), "UNAUTHENTICATED");
}

TEST(BackendErrorTest, BodiesOfAnotherShapeAreDecodingErrors) {
  for (const char* body : {"", "<html><body>Bad Gateway</body></html>", "{}", R"({"error":"quota"})",
                           R"({"error":{"details":null}})", R"({"error":{"details":[{"reason":"X"}]}})",
                           R"({"error":{"code":"403"}})", R"({"error":{"details":[{"@type":"t","metadata":{"a":1}}]}})"}) {
    const auto error = BackendError::decode(body);
    ASSERT_FALSE(error) << body;
    EXPECT_NE(platform::errorAs<platform::json::DecodingError>(error.error()), nullptr) << body;
  }
}

const char* kServiceDisabledBody = R"({
  "error": {
    "code": 403,
    "message": "Vertex AI in Firebase API has not been used in project 123456789012 before or it is disabled.",
    "status": "PERMISSION_DENIED",
    "details": [
      {"@type": "type.googleapis.com/google.rpc.Help", "links": [{"description": "Google developers console"}]},
      {"@type": "type.googleapis.com/google.rpc.ErrorInfo", "reason": "SERVICE_DISABLED", "domain": "googleapis.com",
       "metadata": {"service": "firebasevertexai.googleapis.com", "consumer": "projects/123456789012"}}
    ]
  }
})";

TEST(BackendErrorTest, RecognisesTheServiceDisabledForm) {
  const auto error = decoded(kServiceDisabledBody);
  ASSERT_EQ(error.details().size(), 2u);
  EXPECT_EQ(error.details()[1].reason, "SERVICE_DISABLED");
  EXPECT_EQ(error.details()[1].metadata->at("consumer"), "projects/123456789012");
  EXPECT_TRUE(error.isServiceDisabledError());

  const auto detail = [](const char* reason, const char* metadata) {
    return std::string(R"({"error":{"details":[{"@type":"type.googleapis.com/google.rpc.ErrorInfo",)") + reason +
           R"("domain":"googleapis.com","metadata":)" + metadata + "}]}}";
  };
  EXPECT_TRUE(decoded(detail(R"("reason":"SERVICE_DISABLED",)", R"({"service":"firebasevertexai.googleapis.com"})"))
                  .isServiceDisabledError());
  EXPECT_FALSE(decoded(detail("", R"({"service":"firebasevertexai.googleapis.com"})")).isServiceDisabledError());
  EXPECT_FALSE(decoded(detail(R"("reason":"SERVICE_DISABLED",)", R"({"consumer":"p"})")).isServiceDisabledError());
  EXPECT_FALSE(decoded(detail(R"("reason":"SERVICE_DISABLED",)", R"({"service":"aiplatform.googleapis.com"})"))
                   .isServiceDisabledError());
  EXPECT_FALSE(decoded(R"({"error":{"code":403}})").isServiceDisabledError());
}

TEST(GenerateContentErrorTest, CasesCarryWhatTheyWereMadeWithAndKeepTheirCodes) {
  const auto backend = std::make_shared<BackendError>(500, "boom", RPCStatus::internalError, std::vector<ErrorDetails>{});
  const auto internal = GenerateContentError::internalError(backend);
  const auto* error = platform::errorAs<GenerateContentError>(internal);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
  EXPECT_EQ(error->underlying(), backend);
  EXPECT_EQ(error->domain(), "FirebaseVertexAI.GenerateContentError");
  EXPECT_EQ(error->code(), 0);
  EXPECT_NE(error->debugDescription().find("boom (com.google.firebase.vertexai.BackendError - HTTP 500 INTERNAL)"),
            std::string::npos);

  GenerateContentResponse response;
  response.candidates.push_back(Candidate{});
  const auto stopped = GenerateContentError::responseStoppedEarly(FinishReason::maxTokens, response);
  const auto* early = platform::errorAs<GenerateContentError>(stopped);
  EXPECT_EQ(early->code(), 3);
  EXPECT_EQ(early->reason(), FinishReason::maxTokens);
  EXPECT_EQ(early->response()->candidates.size(), 1u);
  EXPECT_EQ(platform::errorAs<GenerateContentError>(GenerateContentError::promptBlocked(response))->code(), 2);
  const auto image = GenerateContentError::promptImageContentError(backend);
  EXPECT_EQ(platform::errorAs<GenerateContentError>(image)->kind(), GenerateContentError::Kind::promptImageContentError);
  EXPECT_EQ(image->code(), 1);
}

// What the user reads of each case: what went wrong, in the words of the
// failure behind it.
struct DescriptionCase {
  const char* name;
  std::function<platform::ErrorPtr()> make;
  std::string description;
};
void PrintTo(const DescriptionCase& c, std::ostream* os) { *os << c.name; }

class GenerateContentErrorText : public testing::VertexTest, public ::testing::WithParamInterface<DescriptionCase> {};

TEST_P(GenerateContentErrorText, SaysWhatWentWrong) { EXPECT_EQ(GetParam().make()->localizedDescription(), GetParam().description); }

GenerateContentResponse blockedResponse(const std::string& feedback) {
  auto response = GenerateContentResponse::decode(R"({"promptFeedback":)" + feedback + "}");
  EXPECT_TRUE(response);
  return response.value_or(GenerateContentResponse{});
}

platform::ErrorPtr decodingFailure(const std::string& json) {
  auto response = GenerateContentResponse::decode(json);
  EXPECT_FALSE(response);
  return response ? nullptr : response.error();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenerateContentErrorText,
    ::testing::Values(
        DescriptionCase{"BackendError",
                        [] {
                          return GenerateContentError::internalError(std::make_shared<BackendError>(
                              400, "API key not valid. Please pass a valid API key.", RPCStatus::invalidArgument,
                              std::vector<ErrorDetails>{}));
                        },
                        "API key not valid. Please pass a valid API key. (com.google.firebase.vertexai.BackendError - "
                        "HTTP 400 INVALID_ARGUMENT)"},
        DescriptionCase{"TransportError",
                        [] {
                          return GenerateContentError::internalError(platform::makeError(
                              platform::kURLErrorDomain, platform::URLErrorCannotConnectToHost,
                              "Could not connect to the server."));
                        },
                        "Could not connect to the server."},
        DescriptionCase{"UnreadableReply",
                        [] { return GenerateContentError::internalError(decodingFailure(R"({"candidates":7})")); },
                        "The server's reply could not be read: Expected to decode Array<Any> but found a number "
                        "instead. (at candidates)"},
        DescriptionCase{"UnreadableCandidate",
                        [] {
                          return GenerateContentError::internalError(
                              decodingFailure(R"({"candidates":[{"content":{"parts":3}}]})"));
                        },
                        "The server's reply holds a candidate whose content could not be read: Expected to decode "
                        "Array<Any> but found a number instead. (at candidates[0].content.parts)"},
        DescriptionCase{"EmptyCandidateContent",
                        [] {
                          return GenerateContentError::internalError(std::make_shared<InvalidCandidateError>(
                              InvalidCandidateError::Kind::emptyContent,
                              std::make_shared<platform::json::DecodingError>(
                                  platform::json::DecodingError::Kind::keyNotFound,
                                  std::vector<std::string>{"candidates", "Index 2", "content"},
                                  "No value associated with key \"parts\".")));
                        },
                        "The server's reply holds a candidate whose content is empty (at candidates[2].content)."},
        DescriptionCase{"PromptBlocked",
                        [] { return GenerateContentError::promptBlocked(blockedResponse(R"({"blockReason":"SAFETY"})")); },
                        "The prompt was blocked (block reason SAFETY)."},
        DescriptionCase{"PromptBlockedWithTheServicesMessage",
                        [] {
                          return GenerateContentError::promptBlocked(blockedResponse(
                              R"({"blockReason":"OTHER","blockReasonMessage":"The prompt names a blocked term."})"));
                        },
                        "The prompt was blocked (block reason OTHER): The prompt names a blocked term."},
        DescriptionCase{"PromptBlockedWithAnEmptyMessage",
                        [] {
                          return GenerateContentError::promptBlocked(
                              blockedResponse(R"({"blockReason":"BLOCKLIST","blockReasonMessage":""})"));
                        },
                        "The prompt was blocked (block reason BLOCKLIST)."},
        DescriptionCase{"PromptBlockedForAReasonTheClientDoesNotKnow",
                        [] {
                          return GenerateContentError::promptBlocked(
                              blockedResponse(R"({"blockReason":"IMAGE_SAFETY"})"));
                        },
                        "The prompt was blocked (block reason IMAGE_SAFETY)."},
        DescriptionCase{"StoppedEarly",
                        [] { return GenerateContentError::responseStoppedEarly(FinishReason::maxTokens, {}); },
                        "The reply stopped early (finish reason MAX_TOKENS)."},
        DescriptionCase{"StoppedEarlyForAReasonTheClientDoesNotKnow",
                        [] { return GenerateContentError::responseStoppedEarly(FinishReason("LANGUAGE"), {}); },
                        "The reply stopped early (finish reason LANGUAGE)."},
        DescriptionCase{"PromptImage",
                        [] {
                          return GenerateContentError::promptImageContentError(
                              platform::makeError("test", 1, "The image holds no pixels."));
                        },
                        "An image of the prompt could not be sent: The image holds no pixels."},
        // What the server wrote is quoted without what a terminal would obey
        // (escape sequences, a bell, a carriage return) and only at its start.
        DescriptionCase{"ABackendMessageWithControlCharacters",
                        [] {
                          return GenerateContentError::internalError(std::make_shared<BackendError>(
                              400, "Key \x1B]0;owned\x07not valid\r\nRetry \x1B[2J\x7F\xC2\x9B" "1m.",
                              RPCStatus::invalidArgument, std::vector<ErrorDetails>{}));
                        },
                        "Key \uFFFD]0;owned\uFFFDnot valid\nRetry \uFFFD[2J\uFFFD\uFFFD1m. "
                        "(com.google.firebase.vertexai.BackendError - HTTP 400 INVALID_ARGUMENT)"},
        DescriptionCase{"AHugeBackendMessage",
                        [] {
                          return GenerateContentError::internalError(std::make_shared<BackendError>(
                              429, std::string(1'000'000, 'q'), RPCStatus::resourceExhausted,
                              std::vector<ErrorDetails>{}));
                        },
                        std::string(1000, 'q') +
                            "... (com.google.firebase.vertexai.BackendError - HTTP 429 RESOURCE_EXHAUSTED)"},
        DescriptionCase{"PromptBlockedWithControlCharactersAndAHugeMessage",
                        [] {
                          return GenerateContentError::promptBlocked(blockedResponse(
                              R"({"blockReason":"OTHER\u001b[31m","blockReasonMessage":"Blocked\r)" +
                              std::string(5000, 'm') + "\"}"));
                        },
                        "The prompt was blocked (block reason OTHER\uFFFD[31m): Blocked\n" + std::string(992, 'm') +
                            "..."},
        DescriptionCase{"StoppedEarlyForAHugeReason",
                        [] {
                          return GenerateContentError::responseStoppedEarly(FinishReason(std::string(5000, 'R')), {});
                        },
                        "The reply stopped early (finish reason " + std::string(1000, 'R') + "...)."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace firebase::vertexai
