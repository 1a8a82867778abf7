#include <gtest/gtest.h>

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

TEST(GenerateContentErrorTest, CasesCarryWhatTheyWereMadeWith) {
  const auto backend = std::make_shared<BackendError>(500, "boom", RPCStatus::internalError, std::vector<ErrorDetails>{});
  const auto internal = GenerateContentError::internalError(backend);
  const auto* error = platform::errorAs<GenerateContentError>(internal);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
  EXPECT_EQ(error->underlying(), backend);
  EXPECT_EQ(error->domain(), "FirebaseVertexAI.GenerateContentError");
  EXPECT_EQ(error->code(), 0);
  EXPECT_EQ(error->localizedDescription(),
            "The operation couldn\u2019t be completed. (FirebaseVertexAI.GenerateContentError error 0.)");
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
  EXPECT_EQ(platform::errorAs<GenerateContentError>(GenerateContentError::promptImageContentError(backend))->kind(),
            GenerateContentError::Kind::promptImageContentError);
}

}  // namespace
}  // namespace firebase::vertexai
