#include <gtest/gtest.h>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

using platform::json::DecodingError;
using Kind = DecodingError::Kind;
using Path = std::vector<std::string>;

// What a failed decoding must say: the decoding error's kind, where, and a
// piece of its description; for an unusable candidate content also how the
// candidate failed (the decoding error is then the candidate's underlying one).
struct FailureCase {
  const char* name;
  std::string json;
  Kind kind;
  Path path;
  const char* description;
  std::optional<InvalidCandidateError::Kind> candidate = std::nullopt;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

std::string withCandidate(const std::string& candidate) { return R"({"candidates":[)" + candidate + "]}"; }
std::string withParts(const std::string& parts) { return withCandidate(R"({"content":{"parts":)" + parts + "}}"); }

class DecodingFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DecodingFailureTest, IsAClearError) {
  const auto& c = GetParam();
  const auto response = GenerateContentResponse::decode(c.json);
  ASSERT_FALSE(response);
  platform::ErrorPtr error = response.error();
  if (c.candidate) {
    const auto* invalid = platform::errorAs<InvalidCandidateError>(error);
    ASSERT_NE(invalid, nullptr) << testing::describe(error);
    EXPECT_EQ(invalid->kind(), *c.candidate);
    error = invalid->underlyingError();
  }
  const auto* decoding = platform::errorAs<DecodingError>(error);
  ASSERT_NE(decoding, nullptr) << testing::describe(error);
  EXPECT_EQ(decoding->kind(), c.kind) << decoding->debugDescription();
  EXPECT_EQ(decoding->codingPath(), c.path) << decoding->debugDescription();
  EXPECT_NE(decoding->description().find(c.description), std::string::npos) << decoding->debugDescription();
}

const std::string kDeep = std::string(10000, '[') + std::string(10000, ']');

const FailureCase kFailures[] = {
    {"EmptyObject", "{}", Kind::dataCorrupted, {},
     "Failed to decode GenerateContentResponse; missing keys 'candidates' and 'promptFeedback'."},
    {"EmptyBody", "", Kind::dataCorrupted, {}, "The given data was not valid JSON."},
    {"NotJSON", "<html>502</html>", Kind::dataCorrupted, {}, "The given data was not valid JSON."},
    {"NestedTenThousandDeep", R"({"candidates":)" + kDeep + "}", Kind::dataCorrupted, {}, "not valid JSON"},
    {"InvalidUTF8", withParts("[{\"text\":\"\xC3\x28\"}]"), Kind::dataCorrupted, {}, "not valid JSON"},
    {"NumberTooLargeForJSON", R"({"candidates":[],"usageMetadata":{"totalTokenCount":1e400}})", Kind::dataCorrupted, {},
     "not valid JSON"},
    {"TopLevelArray", "[]", Kind::typeMismatch, {}, "Expected to decode Dictionary<String, Any> but found an array"},
    {"CandidatesAString", R"({"candidates":"many"})", Kind::typeMismatch, {"candidates"}, "Array<Any>"},
    {"CountAString", R"({"candidates":[],"usageMetadata":{"promptTokenCount":"12"}})", Kind::typeMismatch,
     {"usageMetadata", "promptTokenCount"}, "Expected to decode Int64 but found a string instead."},
    {"CountABoolean", R"({"candidates":[],"usageMetadata":{"promptTokenCount":true}})", Kind::typeMismatch,
     {"usageMetadata", "promptTokenCount"}, "found a boolean"},
    {"CountOutOfRange", R"({"candidates":[],"usageMetadata":{"totalTokenCount":99999999999999999999}})",
     Kind::dataCorrupted, {"usageMetadata", "totalTokenCount"}, "does not fit in Int64"},
    {"CountWithAFraction", R"({"candidates":[],"usageMetadata":{"totalTokenCount":12.5}})", Kind::dataCorrupted,
     {"usageMetadata", "totalTokenCount"}, "Parsed JSON number <12.5> does not fit in Int64."},
    {"ScoreOutOfFloatRange",
     withCandidate(R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":"LOW",
         "probabilityScore":1e39}]})"),
     Kind::dataCorrupted, {"candidates", "Index 0", "safetyRatings", "Index 0", "probabilityScore"}, "Float"},
    {"RatingCategoryANumber", withCandidate(R"({"safetyRatings":[{"category":3}]})"), Kind::typeMismatch,
     {"candidates", "Index 0", "safetyRatings", "Index 0", "category"}, "String"},
    {"ProbabilityANumber",
     withCandidate(R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":3}]})"),
     Kind::typeMismatch, {"candidates", "Index 0", "safetyRatings", "Index 0", "probability"}, "String"},
    {"BlockedAString",
     withCandidate(R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":"LOW","blocked":"no"}]})"),
     Kind::typeMismatch, {"candidates", "Index 0", "safetyRatings", "Index 0", "blocked"}, "Bool"},
    {"CitationsAnObject", withCandidate(R"({"citationMetadata":{"citations":{}}})"), Kind::typeMismatch,
     {"candidates", "Index 0", "citationMetadata", "citations"}, "Array<Any>"},
    {"EndIndexAString", withCandidate(R"({"citationMetadata":{"citations":[{"endIndex":"9"}]}})"), Kind::typeMismatch,
     {"candidates", "Index 0", "citationMetadata", "citations", "Index 0", "endIndex"}, "Int64"},
    {"DateWithNothingInIt",
     withCandidate(R"({"citationMetadata":{"citations":[{"endIndex":1,"publicationDate":{"year":0,"month":0}}]}})"),
     Kind::dataCorrupted, {"year", "month", "day"}, "Invalid date: missing year, month and day"},
    {"TokenCountAString", R"({"candidates":[],"usageMetadata":{"candidatesTokensDetails":[{"tokenCount":"1"}]}})",
     Kind::typeMismatch, {"usageMetadata", "candidatesTokensDetails", "Index 0", "tokenCount"}, "Int64"},
    {"ModalityANumber", R"({"candidates":[],"usageMetadata":{"promptTokensDetails":[{"modality":1}]}})",
     Kind::typeMismatch, {"usageMetadata", "promptTokensDetails", "Index 0", "modality"}, "String"},
    {"ContentANumber", withCandidate(R"({"content":7})"), Kind::typeMismatch, {"candidates", "Index 0", "content"},
     "Dictionary", InvalidCandidateError::Kind::malformedContent},
    {"RoleANumber", withCandidate(R"({"content":{"role":7}})"), Kind::typeMismatch,
     {"candidates", "Index 0", "content", "role"}, "String", InvalidCandidateError::Kind::malformedContent},
    {"PartsANumber", withParts("3"), Kind::typeMismatch, {"candidates", "Index 0", "content", "parts"}, "Array",
     InvalidCandidateError::Kind::malformedContent},
    {"PartOfNoKnownKind", withParts(R"([{"thought":true}])"), Kind::dataCorrupted,
     {"candidates", "Index 0", "content", "parts", "Index 0"}, "Unexpected Part type(s): []",
     InvalidCandidateError::Kind::malformedContent},
    {"InlineDataThatIsNotBase64", withParts(R"([{"text":"a"},{"inlineData":{"mimeType":"image/png","data":"@@@="}}])"),
     Kind::dataCorrupted, {"candidates", "Index 0", "content", "parts", "Index 1", "inlineData", "data"},
     "The value of \"data\" is not valid Base64.", InvalidCandidateError::Kind::malformedContent},
    {"MimeTypeANumber", withParts(R"([{"inlineData":{"mimeType":1}}])"), Kind::typeMismatch,
     {"candidates", "Index 0", "content", "parts", "Index 0", "inlineData", "mimeType"}, "String",
     InvalidCandidateError::Kind::malformedContent},
    {"FileUriANumber", withParts(R"([{"fileData":{"fileUri":1}}])"), Kind::typeMismatch,
     {"candidates", "Index 0", "content", "parts", "Index 0", "fileData", "fileUri"}, "String",
     InvalidCandidateError::Kind::malformedContent},
    {"FunctionNameANumber", withParts(R"([{"functionCall":{"name":1}}])"), Kind::typeMismatch,
     {"candidates", "Index 0", "content", "parts", "Index 0", "functionCall", "name"}, "String",
     InvalidCandidateError::Kind::malformedContent},
    {"FunctionResponseAString", withParts(R"([{"functionResponse":{"response":"done"}}])"), Kind::typeMismatch,
     {"candidates", "Index 0", "content", "parts", "Index 0", "functionResponse", "response"}, "Dictionary",
     InvalidCandidateError::Kind::malformedContent},
    {"TextNull", withParts(R"([{"text":null}])"), Kind::valueNotFound,
     {"candidates", "Index 0", "content", "parts", "Index 0", "text"}, "null",
     InvalidCandidateError::Kind::malformedContent},
};

INSTANTIATE_TEST_SUITE_P(Responses, DecodingFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// What the user reads when a reply cannot be read: what was wrong in it and
// where, as the model passes the error on.
struct ShownCase {
  const char* name;
  std::string json;
  std::string shown;
};
void PrintTo(const ShownCase& c, std::ostream* os) { *os << c.name; }

class UnreadableReplyText : public ::testing::TestWithParam<ShownCase> {};

TEST_P(UnreadableReplyText, SaysWhatWasWrongAndWhere) {
  const auto response = GenerateContentResponse::decode(GetParam().json);
  ASSERT_FALSE(response);
  EXPECT_EQ(GenerateContentError::internalError(response.error())->localizedDescription(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UnreadableReplyText,
    ::testing::Values(
        ShownCase{"NotJSON", "<html>502</html>", "The server's reply could not be read: The given data was not valid JSON."},
        ShownCase{"NeitherKey", "{}",
                  "The server's reply could not be read: Failed to decode GenerateContentResponse; missing keys "
                  "'candidates' and 'promptFeedback'."},
        ShownCase{"ACountOfTheWrongType", R"({"candidates":[],"usageMetadata":{"promptTokenCount":"12"}})",
                  "The server's reply could not be read: Expected to decode Int64 but found a string instead. (at "
                  "usageMetadata.promptTokenCount)"},
        ShownCase{"AModalityOfTheWrongType",
                  R"({"candidates":[],"usageMetadata":{"candidatesTokensDetails":[{},{"modality":true}]}})",
                  "The server's reply could not be read: Expected to decode String but found a boolean instead. (at "
                  "usageMetadata.candidatesTokensDetails[1].modality)"},
        ShownCase{"ANullText", R"({"candidates":[{},{"content":{"parts":[{"text":"a"},{"text":null}]}}]})",
                  "The server's reply holds a candidate whose content could not be read: Expected String value but "
                  "found null instead. (at candidates[1].content.parts[1].text)"},
        ShownCase{"APartOfNoKnownKind", withParts(R"([{"thought":true}])"),
                  "The server's reply holds a candidate whose content could not be read: Unexpected Part type(s): [] "
                  "(at candidates[0].content.parts[0])"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodingFailureErrorsTest, KeepTheirDomainsAndCodes) {
  const auto response = GenerateContentResponse::decode(withParts(R"([{"inlineData":{"mimeType":"image/png","data":"%%"}}])"));
  ASSERT_FALSE(response);
  EXPECT_EQ(response.error()->domain(), "FirebaseVertexAI.InvalidCandidateError");
  EXPECT_EQ(response.error()->code(), 1);
  EXPECT_NE(response.error()->debugDescription().find(
                "dataCorrupted: The value of \"data\" is not valid Base64. (coding path: "
                "[candidates.Index 0.content.parts.Index 0.inlineData.data])"),
            std::string::npos)
      << response.error()->debugDescription();
  const auto json = GenerateContentResponse::decode("{");
  EXPECT_EQ(json.error()->domain(), "NSCocoaErrorDomain");
  EXPECT_EQ(json.error()->code(), 4864);
}

TEST(DecodingLimitsTest, AFiftyMegabyteTextPartDecodes) {
  const std::string text(50 * 1024 * 1024, 'y');
  const auto response = GenerateContentResponse::decode(withParts(R"([{"text":")" + text + R"("}])"));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->text()->size(), text.size());
}

}  // namespace
}  // namespace firebase::vertexai
