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
    {"RatingWithoutProbability", withCandidate(R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT"}]})"),
     Kind::keyNotFound, {"candidates", "Index 0", "safetyRatings", "Index 0"}, "\"probability\""},
    {"ProbabilityANumber",
     withCandidate(R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":3}]})"),
     Kind::typeMismatch, {"candidates", "Index 0", "safetyRatings", "Index 0", "probability"}, "String"},
    {"BlockedAString",
     withCandidate(R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":"LOW","blocked":"no"}]})"),
     Kind::typeMismatch, {"candidates", "Index 0", "safetyRatings", "Index 0", "blocked"}, "Bool"},
    {"CitationsMissing", withCandidate(R"({"citationMetadata":{}})"), Kind::keyNotFound,
     {"candidates", "Index 0", "citationMetadata"}, "\"citations\""},
    {"CitationWithoutEndIndex", withCandidate(R"({"citationMetadata":{"citations":[{"startIndex":1}]}})"),
     Kind::keyNotFound, {"candidates", "Index 0", "citationMetadata", "citations", "Index 0"}, "\"endIndex\""},
    {"DateWithNothingInIt",
     withCandidate(R"({"citationMetadata":{"citations":[{"endIndex":1,"publicationDate":{"year":0,"month":0}}]}})"),
     Kind::dataCorrupted, {"year", "month", "day"}, "Invalid date: missing year, month and day"},
    {"ModalityCountWithoutCount", R"({"candidates":[],"usageMetadata":{"candidatesTokensDetails":[{"modality":"TEXT"}]}})",
     Kind::keyNotFound, {"usageMetadata", "candidatesTokensDetails", "Index 0"}, "\"tokenCount\""},
    {"ModalityCountWithNullModality",
     R"({"candidates":[],"usageMetadata":{"candidatesTokensDetails":[{"modality":null,"tokenCount":1}]}})",
     Kind::valueNotFound, {"usageMetadata", "candidatesTokensDetails", "Index 0", "modality"}, "null"},
    {"ContentAnEmptyObject", withCandidate(R"({"content":{}})"), Kind::keyNotFound, {"candidates", "Index 0", "content"},
     "\"parts\"", InvalidCandidateError::Kind::emptyContent},
    {"ContentANumber", withCandidate(R"({"content":7})"), Kind::typeMismatch, {"candidates", "Index 0", "content"},
     "Dictionary", InvalidCandidateError::Kind::malformedContent},
    {"ContentWithoutParts", withCandidate(R"({"content":{"role":"model"}})"), Kind::keyNotFound,
     {"candidates", "Index 0", "content"}, "\"parts\"", InvalidCandidateError::Kind::malformedContent},
    {"PartsANumber", withParts("3"), Kind::typeMismatch, {"candidates", "Index 0", "content", "parts"}, "Array",
     InvalidCandidateError::Kind::malformedContent},
    {"PartOfNoKnownKind", withParts(R"([{"thought":true}])"), Kind::dataCorrupted,
     {"candidates", "Index 0", "content", "parts", "Index 0"}, "Unexpected Part type(s): []",
     InvalidCandidateError::Kind::malformedContent},
    {"InlineDataThatIsNotBase64", withParts(R"([{"text":"a"},{"inlineData":{"mimeType":"image/png","data":"@@@="}}])"),
     Kind::dataCorrupted, {"candidates", "Index 0", "content", "parts", "Index 1", "inlineData", "data"},
     "The value of \"data\" is not valid Base64.", InvalidCandidateError::Kind::malformedContent},
    {"InlineDataWithoutMimeType", withParts(R"([{"inlineData":{"data":""}}])"), Kind::keyNotFound,
     {"candidates", "Index 0", "content", "parts", "Index 0", "inlineData"}, "\"mimeType\"",
     InvalidCandidateError::Kind::malformedContent},
    {"FunctionResponseWithoutResponse", withParts(R"([{"functionResponse":{"name":"f"}}])"), Kind::keyNotFound,
     {"candidates", "Index 0", "content", "parts", "Index 0", "functionResponse"}, "\"response\"",
     InvalidCandidateError::Kind::malformedContent},
    {"TextNull", withParts(R"([{"text":null}])"), Kind::valueNotFound,
     {"candidates", "Index 0", "content", "parts", "Index 0", "text"}, "null",
     InvalidCandidateError::Kind::malformedContent},
};

INSTANTIATE_TEST_SUITE_P(Responses, DecodingFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodingFailureErrorsTest, SayWhereTheyHappened) {
  const auto response =
      GenerateContentResponse::decode(withParts(R"([{"inlineData":{"mimeType":"image/png","data":"%%"}}])"));
  ASSERT_FALSE(response);
  EXPECT_EQ(response.error()->domain(), "FirebaseVertexAI.InvalidCandidateError");
  EXPECT_NE(response.error()->debugDescription().find(
                "dataCorrupted: The value of \"data\" is not valid Base64. (coding path: "
                "[candidates.Index 0.content.parts.Index 0.inlineData.data])"),
            std::string::npos)
      << response.error()->debugDescription();
  const auto json = GenerateContentResponse::decode("{");
  EXPECT_EQ(json.error()->domain(), "NSCocoaErrorDomain");
  EXPECT_EQ(json.error()->code(), 4864);
  EXPECT_EQ(json.error()->localizedDescription(),
            "The data couldn\u2019t be read because it isn\u2019t in the correct format.");
}

TEST(DecodingLimitsTest, AFiftyMegabyteTextPartDecodes) {
  const std::string text(50 * 1024 * 1024, 'y');
  const auto response = GenerateContentResponse::decode(withParts(R"([{"text":")" + text + R"("}])"));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->text()->size(), text.size());
}

}  // namespace
}  // namespace firebase::vertexai
