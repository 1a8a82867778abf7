#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

using platform::json::DecodingError;
using testing::describe;
using Code = VertexLogMessageCode;

std::string readData(const std::string& name) {
  std::ifstream file(std::filesystem::path(QUORBEL_VERTEX_TEST_DATA) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ResponseDecodingTest : public testing::VertexTest {
 protected:
  GenerateContentResponse decode(std::string_view json) {
    auto response = GenerateContentResponse::decode(json);
    EXPECT_TRUE(response) << describe(response ? nullptr : response.error()) << " for " << json;
    return response ? std::move(*response) : GenerateContentResponse{};
  }
  // A response of one candidate with this JSON.
  GenerateContentResponse decodeCandidate(const std::string& candidate) {
    return decode(R"({"candidates":[)" + candidate + "]}");
  }
};

TEST_F(ResponseDecodingTest, ARealShapedResponseDecodesWhole) {
  const auto response = decode(readData("two_candidates_response.json"));
  ASSERT_EQ(response.candidates.size(), 2u);
  const auto& first = response.candidates[0];
  EXPECT_EQ(first.content.role(), "model");
  EXPECT_EQ(first.finishReason, FinishReason::stop);
  ASSERT_EQ(first.safetyRatings.size(), 4u);
  EXPECT_EQ(first.safetyRatings[1],
            (SafetyRating{HarmCategory::dangerousContent, SafetyRating::HarmProbability::low, 0.21f,
                          SafetyRating::HarmSeverity::low, 0.12f, false}));
  ASSERT_TRUE(first.citationMetadata);
  const auto& citations = first.citationMetadata->citations;
  ASSERT_EQ(citations.size(), 2u);
  EXPECT_EQ(citations[0].startIndex, 17);
  EXPECT_EQ(citations[0].endIndex, 88);
  EXPECT_EQ(citations[0].uri, "https://example.org/etiquette");
  EXPECT_EQ(citations[0].title, "Replying to invitations");
  EXPECT_EQ(citations[0].license, std::nullopt);
  EXPECT_EQ(citations[0].publicationDate, (platform::DateComponents{2021, 6, 14}));
  EXPECT_EQ(citations[1].startIndex, 0);
  EXPECT_EQ(citations[1].uri, std::nullopt);
  EXPECT_EQ(citations[1].publicationDate, (platform::DateComponents{2019, std::nullopt, std::nullopt}));
  EXPECT_EQ(response.candidates[1].finishReason, FinishReason::maxTokens);
  EXPECT_EQ(response.candidates[1].safetyRatings[0].severity.rawValue(), "HARM_SEVERITY_UNSPECIFIED");
  ASSERT_TRUE(response.usageMetadata);
  EXPECT_EQ(response.usageMetadata->promptTokenCount, 412);
  EXPECT_EQ(response.usageMetadata->candidatesTokenCount, 57);
  EXPECT_EQ(response.usageMetadata->totalTokenCount, 469);
  EXPECT_EQ(response.usageMetadata->candidatesTokensDetails,
            (std::vector<ModalityTokenCount>{{ContentModality::text, 57}}));
  EXPECT_FALSE(response.promptFeedback);
  EXPECT_EQ(response.text(),
            "Dear Ms. Okafor, thank you for the invitation; I will attend the offsite on 12 March.");
  EXPECT_TRUE(response.functionCalls().empty());
  EXPECT_TRUE(loggedLines().empty());
}

TEST_F(ResponseDecodingTest, ABlockedPromptHasNoCandidatesAndNoText) {
  const auto response = decode(R"({"promptFeedback":{"blockReason":"SAFETY"}})");
  EXPECT_TRUE(response.candidates.empty());
  ASSERT_TRUE(response.promptFeedback);
  EXPECT_EQ(response.promptFeedback->blockReason, PromptFeedback::BlockReason::safety);
  EXPECT_EQ(response.promptFeedback->blockReasonMessage, std::nullopt);
  EXPECT_TRUE(response.promptFeedback->safetyRatings.empty());
  EXPECT_FALSE(response.usageMetadata);
  EXPECT_EQ(response.text(), std::nullopt);
  EXPECT_EQ(messagesWithCode(Code::generateContentResponseNoCandidates),
            std::vector<std::string>{"Could not get text from a response that had no candidates."});
  EXPECT_EQ(decode(R"({"promptFeedback":{"blockReasonMessage":""}})").promptFeedback->blockReasonMessage, "");
}

TEST_F(ResponseDecodingTest, MissingAndNullKeysTakeTheirDefaults) {
  EXPECT_TRUE(decode(R"({"candidates":[]})").candidates.empty());
  EXPECT_TRUE(decode(R"({"candidates":null})").candidates.empty());
  EXPECT_FALSE(decode(R"({"promptFeedback":null})").promptFeedback);

  const auto bare = decodeCandidate(R"({"content":null,"finishReason":null,"safetyRatings":null})");
  ASSERT_EQ(bare.candidates.size(), 1u);
  EXPECT_EQ(bare.candidates[0].content.role(), "user");
  EXPECT_TRUE(bare.candidates[0].content.parts().empty());
  EXPECT_FALSE(bare.candidates[0].finishReason);
  EXPECT_EQ(bare.text(), std::nullopt);
  EXPECT_EQ(messagesWithCode(Code::generateContentResponseNoText).size(), 1u);

  const auto usage = decode(R"({"candidates":[],"usageMetadata":{}})").usageMetadata;
  ASSERT_TRUE(usage);
  EXPECT_EQ(usage->promptTokenCount + usage->candidatesTokenCount + usage->totalTokenCount, 0);
  EXPECT_TRUE(usage->promptTokensDetails.empty());

  const auto citation = decodeCandidate(R"({"citationMetadata":{"citations":[{"endIndex":10,"uri":""}]}})");
  const auto& only = citation.candidates[0].citationMetadata->citations.at(0);
  EXPECT_EQ(only.startIndex, 0);
  EXPECT_EQ(only.endIndex, 10);
  EXPECT_EQ(only.uri, std::nullopt);

  const auto rating = decodeCandidate(
      R"({"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":"HIGH","blocked":null}]})");
  EXPECT_EQ(rating.candidates[0].safetyRatings.at(0),
            (SafetyRating{HarmCategory::harassment, SafetyRating::HarmProbability::high}));
  EXPECT_TRUE(loggedLines().size() == 1u);  // the no-text line above
}

// The service leaves out every field that holds its default; the reply is
// read as if each were there with it, and nothing is logged.
struct LeftOutCase {
  const char* name;
  std::string json;
  std::function<void(const GenerateContentResponse&)> check;
};
void PrintTo(const LeftOutCase& c, std::ostream* os) { *os << c.name; }

class LeftOutField : public ResponseDecodingTest, public ::testing::WithParamInterface<LeftOutCase> {};

TEST_P(LeftOutField, ReadsAsItsDefault) {
  const auto response = decode(GetParam().json);
  GetParam().check(response);
  EXPECT_TRUE(loggedLines().empty());
}

std::string candidateWith(const std::string& members) {
  return R"({"candidates":[{"content":{"role":"model","parts":[{"text":"Yes."}]},)" + members + "}]}";
}
std::string partsOf(const std::string& parts) {
  return R"({"candidates":[{"content":{"role":"model","parts":)" + parts + "}}]}";
}
const Part& onlyPart(const GenerateContentResponse& response) {
  return response.candidates.at(0).content.parts().at(0);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, LeftOutField,
    ::testing::Values(
        LeftOutCase{"TokenCountOfAModality",
                    R"({"candidates":[],"usageMetadata":{"promptTokensDetails":[{"modality":"TEXT"}]}})",
                    [](const GenerateContentResponse& r) {
                      EXPECT_EQ(r.usageMetadata->promptTokensDetails,
                                (std::vector<ModalityTokenCount>{{ContentModality::text, 0}}));
                    }},
        LeftOutCase{"ModalityOfACount",
                    R"({"candidates":[],"usageMetadata":{"candidatesTokensDetails":[{"tokenCount":4},{"modality":null}]}})",
                    [](const GenerateContentResponse& r) {
                      const auto& counts = r.usageMetadata->candidatesTokensDetails;
                      ASSERT_EQ(counts.size(), 2u);
                      EXPECT_EQ(counts[0].modality.rawValue(), "MODALITY_UNSPECIFIED");
                      EXPECT_EQ(counts[0].tokenCount, 4);
                      EXPECT_EQ(counts[1], (ModalityTokenCount{ContentModality("MODALITY_UNSPECIFIED"), 0}));
                    }},
        LeftOutCase{"ProbabilityOfARating",
                    candidateWith(R"("safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probabilityScore":0.1}])"),
                    [](const GenerateContentResponse& r) {
                      const auto& rating = r.candidates[0].safetyRatings.at(0);
                      EXPECT_EQ(rating.category, HarmCategory::harassment);
                      EXPECT_EQ(rating.probability.rawValue(), "HARM_PROBABILITY_UNSPECIFIED");
                      EXPECT_EQ(r.text(), "Yes.");
                    }},
        LeftOutCase{"EverythingOfARating", candidateWith(R"("safetyRatings":[{}])"),
                    [](const GenerateContentResponse& r) {
                      const auto& rating = r.candidates[0].safetyRatings.at(0);
                      EXPECT_EQ(rating.category.rawValue(), "HARM_CATEGORY_UNSPECIFIED");
                      EXPECT_EQ(rating.probability.rawValue(), "HARM_PROBABILITY_UNSPECIFIED");
                      EXPECT_EQ(rating.severity.rawValue(), "HARM_SEVERITY_UNSPECIFIED");
                      EXPECT_FALSE(rating.blocked);
                    }},
        LeftOutCase{"CitationsOfCitationMetadata", candidateWith(R"("citationMetadata":{})"),
                    [](const GenerateContentResponse& r) {
                      ASSERT_TRUE(r.candidates[0].citationMetadata);
                      EXPECT_TRUE(r.candidates[0].citationMetadata->citations.empty());
                      EXPECT_EQ(r.text(), "Yes.");
                    }},
        LeftOutCase{"EndIndexOfACitation", candidateWith(R"("citationMetadata":{"citations":[{"uri":"https://a.example"}]})"),
                    [](const GenerateContentResponse& r) {
                      const auto& citation = r.candidates[0].citationMetadata->citations.at(0);
                      EXPECT_EQ(citation.startIndex, 0);
                      EXPECT_EQ(citation.endIndex, 0);
                      EXPECT_EQ(citation.uri, "https://a.example");
                    }},
        LeftOutCase{"PartsOfContentWithARole",
                    R"({"candidates":[{"content":{"role":"model"},"finishReason":"MAX_TOKENS"}]})",
                    [](const GenerateContentResponse& r) {
                      EXPECT_EQ(r.candidates[0].content.role(), "model");
                      EXPECT_TRUE(r.candidates[0].content.parts().empty());
                      EXPECT_EQ(r.candidates[0].finishReason, FinishReason::maxTokens);
                    }},
        LeftOutCase{"RoleAndPartsOfContent", R"({"candidates":[{"content":{},"finishReason":"SAFETY"}]})",
                    [](const GenerateContentResponse& r) {
                      EXPECT_EQ(r.candidates[0].content, ModelContent::fromParts(std::nullopt, {}));
                      EXPECT_EQ(r.candidates[0].finishReason, FinishReason::safety);
                    }},
        LeftOutCase{"MimeTypeAndDataOfInlineData", partsOf(R"([{"inlineData":{}}])"),
                    [](const GenerateContentResponse& r) {
                      const auto* part = std::get_if<InlineDataPart>(&onlyPart(r));
                      ASSERT_NE(part, nullptr);
                      EXPECT_EQ(part->mimeType(), "");
                      EXPECT_TRUE(part->data().empty());
                    }},
        LeftOutCase{"UriAndMimeTypeOfFileData", partsOf(R"([{"fileData":{"mimeType":"application/pdf"}}])"),
                    [](const GenerateContentResponse& r) {
                      const auto* part = std::get_if<FileDataPart>(&onlyPart(r));
                      ASSERT_NE(part, nullptr);
                      EXPECT_EQ(part->uri(), "");
                      EXPECT_EQ(part->mimeType(), "application/pdf");
                    }},
        LeftOutCase{"NameOfAFunctionCall", partsOf(R"([{"functionCall":{"args":{"day":"Monday"}}}])"),
                    [](const GenerateContentResponse& r) {
                      const auto* part = std::get_if<FunctionCallPart>(&onlyPart(r));
                      ASSERT_NE(part, nullptr);
                      EXPECT_EQ(part->name(), "");
                      EXPECT_EQ(part->args().at("day"), JSONValue::string("Monday"));
                    }},
        LeftOutCase{"NameAndResponseOfAFunctionResponse", partsOf(R"([{"functionResponse":{}}])"),
                    [](const GenerateContentResponse& r) {
                      const auto* part = std::get_if<FunctionResponsePart>(&onlyPart(r));
                      ASSERT_NE(part, nullptr);
                      EXPECT_EQ(part->name(), "");
                      EXPECT_TRUE(part->response().empty());
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResponseDecodingTest, TextJoinsTheFirstCandidatesTextPartsWithOneSpace) {
  const struct {
    const char* parts;
    std::optional<std::string> text;
  } cases[] = {
      {R"([{"text":"only"}])", "only"},
      {R"([{"text":"a"},{"text":"b"}])", "a b"},
      {R"([{"text":"a"},{"functionCall":{"name":"f"}},{"text":""},{"text":"b"}])", "a  b"},
      {R"([{"functionCall":{"name":"f"}}])", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto response = decode(std::string(R"({"candidates":[{"content":{"parts":)") + c.parts +
                                 R"(}},{"content":{"parts":[{"text":"second"}]}}]})");
    EXPECT_EQ(response.text(), c.text) << c.parts;
  }
}

TEST_F(ResponseDecodingTest, FunctionCallsAreTheFirstCandidatesCallsInOrder) {
  const auto response = decodeCandidate(
      R"({"content":{"role":"model","parts":[{"functionCall":{"name":"find","args":{"q":"x","n":2}}},
          {"text":"and"},{"functionCall":{"name":"open"}}]}})");
  const auto calls = response.functionCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], FunctionCallPart("find", {{"q", JSONValue::string("x")}, {"n", JSONValue::number(2)}}));
  EXPECT_EQ(calls[1].name(), "open");
  EXPECT_TRUE(calls[1].args().empty());
  EXPECT_TRUE(testing::isJSON(encodeJSON(Part(calls[1])).value(), R"({"functionCall":{"name":"open","args":{}}})"));
  EXPECT_TRUE(decode(R"({"candidates":[]})").functionCalls().empty());
}

struct UnknownValueCase {
  const char* name;
  const char* response;
  Code code;
  const char* typeName;
  const char* value;
};

void PrintTo(const UnknownValueCase& c, std::ostream* os) { *os << c.name; }

class UnknownEnumerationTest : public testing::VertexTest, public ::testing::WithParamInterface<UnknownValueCase> {};

TEST_P(UnknownEnumerationTest, IsKeptAndLoggedOnce) {
  const auto& c = GetParam();
  auto response = GenerateContentResponse::decode(c.response);
  ASSERT_TRUE(response) << describe(response.error());
  const auto messages = messagesWithCode(c.code);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            std::string("Unrecognized ") + c.typeName + " with value \"" + c.value +
                "\":\n- Check for updates to the SDK as support for \"" + c.value +
                "\" may have been added; see release notes at https://firebase.google.com/support/release-notes/ios\n"
                "- Search for \"" + c.value +
                "\" in the Firebase Apple SDK Issue Tracker at https://github.com/firebase/firebase-ios-sdk/issues "
                "and file a Bug Report if none found");
  EXPECT_EQ(loggedLines().at(0).type, platform::LogType::error);
}

const UnknownValueCase kUnknownValues[] = {
    {"FinishReasonInLowerCase", R"({"candidates":[{"finishReason":"stop"}]})",
     Code::generateContentResponseUnrecognizedFinishReason, "FinishReason", "stop"},
    {"HarmCategory", R"({"candidates":[{"safetyRatings":[{"category":"HARM_CATEGORY_NEW","probability":"LOW"}]}]})",
     Code::generateContentResponseUnrecognizedHarmCategory, "HarmCategory", "HARM_CATEGORY_NEW"},
    {"HarmProbability",
     R"({"promptFeedback":{"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":"VERY_HIGH"}]}})",
     Code::generateContentResponseUnrecognizedHarmProbability, "HarmProbability", "VERY_HIGH"},
    {"HarmSeverity",
     R"({"candidates":[{"safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probability":"LOW",
         "severity":"HARM_SEVERITY_ODD"}]}]})",
     Code::generateContentResponseUnrecognizedHarmSeverity, "HarmSeverity", "HARM_SEVERITY_ODD"},
    {"BlockReason", R"({"promptFeedback":{"blockReason":"IMAGE_SAFETY"}})",
     Code::generateContentResponseUnrecognizedBlockReason, "BlockReason", "IMAGE_SAFETY"},
};

INSTANTIATE_TEST_SUITE_P(Values, UnknownEnumerationTest, ::testing::ValuesIn(kUnknownValues),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResponseDecodingTest, AnUnknownValueEqualsNoConstantAndMakingOneLogsNothing) {
  const auto response = decodeCandidate(R"({"finishReason":"stop"})");
  const auto& reason = *response.candidates[0].finishReason;
  EXPECT_EQ(reason.rawValue(), "stop");
  EXPECT_NE(reason, FinishReason::stop);
  EXPECT_EQ(FinishReason("STOP"), FinishReason::stop);
  EXPECT_EQ(std::hash<FinishReason>()(FinishReason("STOP")), std::hash<FinishReason>()(FinishReason::stop));
  const auto before = loggedLines().size();
  (void)HarmCategory("SOMETHING_ELSE");
  EXPECT_EQ(loggedLines().size(), before);
}

TEST_F(ResponseDecodingTest, ModalityTokenCountsKeepUnknownModalities) {
  const auto usage = decode(R"({"candidates":[],"usageMetadata":{"promptTokensDetails":[
      {"modality":"TEXT","tokenCount":12},{"modality":"SMELL","tokenCount":3}]}})").usageMetadata;
  ASSERT_TRUE(usage);
  EXPECT_EQ(usage->promptTokensDetails,
            (std::vector<ModalityTokenCount>{{ContentModality::text, 12}, {ContentModality("SMELL"), 3}}));
  EXPECT_EQ(messagesWithCode(Code::generateContentResponseUnrecognizedContentModality).size(), 1u);
}

struct DateCase {
  const char* name;
  const char* date;
  platform::DateComponents decoded;
  std::vector<Code> warnings;
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }

class CitationDateTest : public testing::VertexTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(CitationDateTest, DecodesWithItsWarnings) {
  const auto& c = GetParam();
  auto response = GenerateContentResponse::decode(
      std::string(R"({"candidates":[{"citationMetadata":{"citations":[{"endIndex":1,"publicationDate":)") + c.date +
      "}]}}]}");
  ASSERT_TRUE(response) << describe(response.error());
  EXPECT_EQ(response->candidates[0].citationMetadata->citations[0].publicationDate, c.decoded);
  std::vector<Code> warned;
  for (const auto& line : loggedLines()) {
    EXPECT_EQ(line.type, platform::LogType::defaultLevel) << line.message;
    for (int i = 0; i < 31; ++i)
      if (line.message.find("[" + messageIdentifier(static_cast<Code>(i)) + "]") != std::string::npos)
        warned.push_back(static_cast<Code>(i));
  }
  EXPECT_EQ(warned, c.warnings);
}

const DateCase kDates[] = {
    {"YearOnly", R"({"year":2024})", {2024, std::nullopt, std::nullopt}, {}},
    {"ZeroMeansNotGiven", R"({"year":2024,"month":0,"day":0})", {2024, std::nullopt, std::nullopt}, {}},
    {"DayOnly", R"({"day":15})", {std::nullopt, std::nullopt, 15}, {}},
    {"NoSuchDayInFebruary", R"({"year":2024,"month":2,"day":30})", {2024, 2, 30},
     {Code::decodedInvalidCitationPublicationDate}},
    {"YearTenThousand", R"({"year":10000,"month":1,"day":1})", {10000, 1, 1}, {Code::dateComponentsInvalidYear}},
    {"NegativeYear", R"({"year":-5})", {-5, std::nullopt, std::nullopt},
     {Code::dateComponentsInvalidYear, Code::decodedInvalidCitationPublicationDate}},
    {"MonthThirteen", R"({"year":2024,"month":13})", {2024, 13, std::nullopt},
     {Code::dateComponentsInvalidMonth, Code::decodedInvalidCitationPublicationDate}},
    {"DayThirtyTwo", R"({"year":2024,"month":1,"day":32})", {2024, 1, 32},
     {Code::dateComponentsInvalidDay, Code::decodedInvalidCitationPublicationDate}},
};

INSTANTIATE_TEST_SUITE_P(Values, CitationDateTest, ::testing::ValuesIn(kDates),
                         [](const auto& info) { return std::string(info.param.name); });

// The service writes a date with no part set as an empty object.
TEST_F(ResponseDecodingTest, AnEmptyPublicationDateIsNoDate) {
  auto response = GenerateContentResponse::decode(
      R"({"candidates":[{"citationMetadata":{"citations":[{"endIndex":1,"publicationDate":{}}]}}]})");
  ASSERT_TRUE(response) << describe(response.error());
  EXPECT_EQ(response->candidates[0].citationMetadata->citations[0].publicationDate, std::nullopt);
}

TEST_F(ResponseDecodingTest, TheWarningsSayWhatIsWrong) {
  decodeCandidate(R"({"citationMetadata":{"citations":[{"endIndex":1,"publicationDate":{"year":2024,"month":2,"day":30}},
      {"endIndex":1,"publicationDate":{"year":-5,"month":13,"day":32}}]}})");
  EXPECT_EQ(messagesWithCode(Code::decodedInvalidCitationPublicationDate),
            (std::vector<std::string>{
                "Decoded an invalid citation publication date: calendar: gregorian year: 2024 month: 2 day: 30",
                "Decoded an invalid citation publication date: calendar: gregorian year: -5 month: 13 day: 32"}));
  EXPECT_EQ(messagesWithCode(Code::dateComponentsInvalidYear),
            std::vector<std::string>{"Invalid year: -5; must be from 1 to 9999, or 0 for a date without a specified year."});
  EXPECT_EQ(messagesWithCode(Code::dateComponentsInvalidMonth),
            std::vector<std::string>{
                "Invalid month: 13; must be from 1 to 12, or 0 for a year date without a specified month and day."});
  EXPECT_EQ(messagesWithCode(Code::dateComponentsInvalidDay),
            std::vector<std::string>{"Invalid day: 32; must be from 1 to 31, or 0 for a date without a specified day."});
}

}  // namespace
}  // namespace firebase::vertexai
