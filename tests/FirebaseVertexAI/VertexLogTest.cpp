#include <gtest/gtest.h>

#include <fmt/format.h>

#include "FirebaseVertexAI/VertexLog.hpp"
#include "VertexTestSupport.hpp"
#include "firebase_core/FIRLogger.hpp"

namespace firebase::vertexai {
namespace {

using Code = VertexLogMessageCode;

struct CodeCase {
  const char* name;
  Code code;
  int number;
  int level;
};

void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.name; }

// The client's code table: each code's identifier number and the level its
// callers log it at.
const CodeCase kCodeTable[] = {
    {"VerboseLoggingDisabled", Code::verboseLoggingDisabled, 100, kGULLoggerLevelInfo},
    {"VerboseLoggingEnabled", Code::verboseLoggingEnabled, 101, kGULLoggerLevelDebug},
    {"FirebaseMLAPIDisabled", Code::firebaseMLAPIDisabled, 200, kGULLoggerLevelError},
    {"GenerativeModelInitialized", Code::generativeModelInitialized, 1000, kGULLoggerLevelDebug},
    {"UnsupportedGeminiModel", Code::unsupportedGeminiModel, 1001, kGULLoggerLevelWarning},
    {"InvalidSchemaAnyOfEmpty", Code::invalidSchemaAnyOfEmpty, 1002, kGULLoggerLevelError},
    {"UnsupportedImagenModel", Code::unsupportedImagenModel, 1200, kGULLoggerLevelWarning},
    {"InvalidImagenCompressionQuality", Code::invalidImagenCompressionQuality, 1201, kGULLoggerLevelWarning},
    {"NonHTTPResponse", Code::generativeAIServiceNonHTTPResponse, 2000, kGULLoggerLevelError},
    {"ResponseError", Code::loadRequestResponseError, 2001, kGULLoggerLevelError},
    {"ResponseErrorPayload", Code::loadRequestResponseErrorPayload, 2002, kGULLoggerLevelError},
    {"StreamResponseError", Code::loadRequestStreamResponseError, 2003, kGULLoggerLevelError},
    {"StreamResponseErrorPayload", Code::loadRequestStreamResponseErrorPayload, 2004, kGULLoggerLevelError},
    {"ParseResponseFailedJSON", Code::loadRequestParseResponseFailedJSON, 3000, kGULLoggerLevelError},
    {"ParseResponseFailedJSONError", Code::loadRequestParseResponseFailedJSONError, 3001, kGULLoggerLevelError},
    {"UnrecognizedFinishReason", Code::generateContentResponseUnrecognizedFinishReason, 3002, kGULLoggerLevelError},
    {"UnrecognizedBlockReason", Code::generateContentResponseUnrecognizedBlockReason, 3003, kGULLoggerLevelError},
    {"UnrecognizedBlockThreshold", Code::generateContentResponseUnrecognizedBlockThreshold, 3004,
     kGULLoggerLevelError},
    {"UnrecognizedHarmProbability", Code::generateContentResponseUnrecognizedHarmProbability, 3005,
     kGULLoggerLevelError},
    {"UnrecognizedHarmCategory", Code::generateContentResponseUnrecognizedHarmCategory, 3006, kGULLoggerLevelError},
    {"UnrecognizedHarmSeverity", Code::generateContentResponseUnrecognizedHarmSeverity, 3007, kGULLoggerLevelError},
    {"InvalidYear", Code::dateComponentsInvalidYear, 3008, kGULLoggerLevelWarning},
    {"InvalidMonth", Code::dateComponentsInvalidMonth, 3009, kGULLoggerLevelWarning},
    {"InvalidDay", Code::dateComponentsInvalidDay, 3010, kGULLoggerLevelWarning},
    {"InvalidCitationDate", Code::decodedInvalidCitationPublicationDate, 3011, kGULLoggerLevelWarning},
    {"UnrecognizedContentModality", Code::generateContentResponseUnrecognizedContentModality, 3012,
     kGULLoggerLevelError},
    {"UnsupportedImagenPrediction", Code::decodedUnsupportedImagenPredictionType, 3013, kGULLoggerLevelWarning},
    {"NoCandidates", Code::generateContentResponseNoCandidates, 4000, kGULLoggerLevelError},
    {"NoText", Code::generateContentResponseNoText, 4001, kGULLoggerLevelError},
    {"AppCheckTokenFetchFailed", Code::appCheckTokenFetchFailed, 4002, kGULLoggerLevelError},
    {"StreamLine", Code::generateContentResponseStreamLine, 5000, kGULLoggerLevelDebug},
};

platform::LogType logTypeOf(int level) {
  switch (level) {
    case kGULLoggerLevelError: return platform::LogType::error;
    case kGULLoggerLevelInfo: return platform::LogType::info;
    case kGULLoggerLevelDebug: return platform::LogType::debug;
    default: return platform::LogType::defaultLevel;
  }
}

class VertexLogCodeTest : public testing::VertexTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(VertexLogCodeTest, ReachesTheCoreLoggerWithItsIdentifierServiceAndLevel) {
  const auto& c = GetParam();
  logVertexAI(c.level, c.code, "message with %@ kept as it is");
  const auto lines = loggedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].subsystem, "com.google.firebase");
  EXPECT_EQ(lines[0].category, "[FirebaseVertexAI]");
  EXPECT_EQ(lines[0].type, logTypeOf(c.level));
  EXPECT_EQ(lines[0].message,
            fmt::format("11.12.0 - [FirebaseVertexAI][I-VTX{:06d}] message with %@ kept as it is", c.number));
  EXPECT_EQ(messageIdentifier(c.code).size(), 11u);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, VertexLogCodeTest, ::testing::ValuesIn(kCodeTable),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VertexLogTest, TheTableRunsFromOneHundredToFiveThousand) {
  EXPECT_EQ(std::size(kCodeTable), 31u);
  EXPECT_EQ(messageIdentifier(Code::verboseLoggingDisabled), "I-VTX000100");
  EXPECT_EQ(messageIdentifier(Code::generateContentResponseStreamLine), "I-VTX005000");
}

class VertexLogLevelTest : public testing::VertexTest {};

TEST_F(VertexLogLevelTest, WhetherADebugLineShowsIsTheCoreLoggersChoice) {
  FIRSetLoggerLevel(kGULLoggerLevelNotice);
  EXPECT_FALSE(vertexAIWouldLog(kGULLoggerLevelDebug));
  logVertexAI(kGULLoggerLevelDebug, Code::generativeModelInitialized, "hidden");
  logVertexAI(kGULLoggerLevelWarning, Code::unsupportedGeminiModel, "shown");
  FIRSetLoggerLevel(kGULLoggerLevelDebug);
  logVertexAI(kGULLoggerLevelDebug, Code::generateContentResponseStreamLine, "shown too");
  const auto lines = loggedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].message.find("[I-VTX001001] shown"), std::string::npos);
  EXPECT_NE(lines[1].message.find("[I-VTX005000] shown too"), std::string::npos);
}

}  // namespace
}  // namespace firebase::vertexai
