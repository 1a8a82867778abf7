#pragma once

#include <string>
#include <string_view>

#include "firebase_core/GULLogger.hpp"

// The client's one logger: every line carries a message identifier
// "I-VTX" plus six digits from the code table below and goes to the core's
// logger under the service "[FirebaseVertexAI]", at the level its caller gives.
namespace firebase::vertexai {

inline constexpr const char* kVertexLogService = "[FirebaseVertexAI]";

// In table order; each code's identifier number stands beside it.
enum class VertexLogMessageCode {
  verboseLoggingDisabled,                             // 100
  verboseLoggingEnabled,                              // 101
  firebaseMLAPIDisabled,                              // 200
  generativeModelInitialized,                         // 1000
  unsupportedGeminiModel,                             // 1001
  invalidSchemaAnyOfEmpty,                            // 1002
  unsupportedImagenModel,                             // 1200
  invalidImagenCompressionQuality,                    // 1201
  generativeAIServiceNonHTTPResponse,                 // 2000
  loadRequestResponseError,                           // 2001
  loadRequestResponseErrorPayload,                    // 2002
  loadRequestStreamResponseError,                     // 2003
  loadRequestStreamResponseErrorPayload,              // 2004
  loadRequestParseResponseFailedJSON,                 // 3000
  loadRequestParseResponseFailedJSONError,            // 3001
  generateContentResponseUnrecognizedFinishReason,    // 3002
  generateContentResponseUnrecognizedBlockReason,     // 3003
  generateContentResponseUnrecognizedBlockThreshold,  // 3004, logged by nothing
  generateContentResponseUnrecognizedHarmProbability, // 3005
  generateContentResponseUnrecognizedHarmCategory,    // 3006
  generateContentResponseUnrecognizedHarmSeverity,    // 3007
  dateComponentsInvalidYear,                          // 3008
  dateComponentsInvalidMonth,                         // 3009
  dateComponentsInvalidDay,                           // 3010
  decodedInvalidCitationPublicationDate,              // 3011
  generateContentResponseUnrecognizedContentModality, // 3012
  decodedUnsupportedImagenPredictionType,             // 3013
  generateContentResponseNoCandidates,                // 4000
  generateContentResponseNoText,                      // 4001
  appCheckTokenFetchFailed,                           // 4002
  generateContentResponseStreamLine,                  // 5000
};

// The code's identifier number (100 for the first, 5000 for the last).
int identifierNumber(VertexLogMessageCode code);
// "I-VTX" and the number in six digits: "I-VTX000100".
std::string messageIdentifier(VertexLogMessageCode code);

// Levels are the core logger's (kGULLoggerLevelError ... kGULLoggerLevelDebug).
void logVertexAI(int level, VertexLogMessageCode code, std::string_view message);

// Whether a line of that level would be written: callers check it before
// building a costly message (a whole response body, say).
bool vertexAIWouldLog(int level);

}  // namespace firebase::vertexai
