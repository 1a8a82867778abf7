#include "test_doubles/DirectRoadFailures.hpp"

#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/LoopbackServer.hpp"

namespace test_doubles {
namespace {

const char* const kJSON = "application/json";
const char* const kHTML = "text/html";

std::string backendError(int code, const std::string& message, const std::string& status,
                         const std::string& details = "") {
  return "{\"error\":{\"code\":" + std::to_string(code) + ",\"message\":\"" + message + "\",\"status\":\"" + status +
         "\"" + (details.empty() ? "" : ",\"details\":[" + details + "]") + "}}";
}

std::string errorInfo(const std::string& reason) {
  return R"({"@type":"type.googleapis.com/google.rpc.ErrorInfo","reason":")" + reason +
         R"(","domain":"googleapis.com","metadata":{"service":"firebasevertexai.googleapis.com"}})";
}

std::string described(const std::string& message, int code, const std::string& status) {
  return message + " (com.google.firebase.vertexai.BackendError - HTTP " + std::to_string(code) + " " + status + ")";
}

}  // namespace

std::vector<FailingReply> failingReplies() {
  const std::string apiKey = "API key not valid. Please pass a valid API key.";
  const std::string disabled = "Vertex AI in Firebase API has not been used in project quorbel-sample before or it "
                               "is disabled. Enable it in the Firebase console, then retry.";
  const std::string denied = "Permission denied on resource project quorbel-sample.";
  const std::string noModel = "Publisher model gemini-2.0-flash-lite was not found or your project has no access to it.";
  const std::string quota = "Resource has been exhausted (e.g. check quota).";
  const std::string internal = "An internal error has occurred. Please retry.";
  const std::string overloaded = "The model is overloaded. Please try again later.";
  const std::string errorPage = "<html><head><title>500 Internal Server Error</title></head></html>";
  const std::string unavailablePage = "<html><body>Service Unavailable</body></html>";
  return {
      {"InvalidAPIKey", 400, backendError(400, apiKey, "INVALID_ARGUMENT", errorInfo("API_KEY_INVALID")), kJSON,
       described(apiKey, 400, "INVALID_ARGUMENT")},
      {"ServiceDisabled", 403, backendError(403, disabled, "PERMISSION_DENIED", errorInfo("SERVICE_DISABLED")), kJSON,
       described(disabled, 403, "PERMISSION_DENIED")},
      {"PermissionDenied", 403, backendError(403, denied, "PERMISSION_DENIED"), kJSON,
       described(denied, 403, "PERMISSION_DENIED")},
      {"ModelNotFound", 404, backendError(404, noModel, "NOT_FOUND"), kJSON, described(noModel, 404, "NOT_FOUND")},
      {"QuotaExceeded", 429, backendError(429, quota, "RESOURCE_EXHAUSTED"), kJSON,
       described(quota, 429, "RESOURCE_EXHAUSTED")},
      // What a terminal or a window would obey stays out of what the user reads.
      {"QuotaWithTerminalEscapes", 429,
       backendError(429, "Quota \\u001b]0;owned\\u0007exceeded.\\u001b[2J", "RESOURCE_EXHAUSTED"), kJSON,
       described("Quota \uFFFD]0;owned\uFFFDexceeded.\uFFFD[2J", 429, "RESOURCE_EXHAUSTED")},
      {"InternalErrorAsJSON", 500, backendError(500, internal, "INTERNAL"), kJSON, described(internal, 500, "INTERNAL")},
      {"InternalErrorAsHTML", 500, errorPage, kHTML, "The server responded with HTTP status 500: " + errorPage},
      {"UnavailableAsJSON", 503, backendError(503, overloaded, "UNAVAILABLE"), kJSON,
       described(overloaded, 503, "UNAVAILABLE")},
      {"UnavailableAsHTML", 503, unavailablePage, kHTML, "The server responded with HTTP status 503: " + unavailablePage},
      {"PromptBlocked", 200, R"({"promptFeedback":{"blockReason":"SAFETY"}})", kJSON,
       "The prompt was blocked (block reason SAFETY)."},
      {"PromptBlockedWithAMessage", 200,
       R"({"promptFeedback":{"blockReason":"OTHER","blockReasonMessage":"The prompt names a blocked term."}})", kJSON,
       "The prompt was blocked (block reason OTHER): The prompt names a blocked term."},
      {"StoppedEarly", 200, responseWithText("Dear Dana,", "MAX_TOKENS"), kJSON,
       "The reply stopped early (finish reason MAX_TOKENS)."},
      {"UnreadableReply", 200, R"({"candidates":[{"content":{"parts":[{"text":"Dear"}]},"finishReason":7}]})", kJSON,
       "The server's reply could not be read: Expected to decode String but found a number instead. (at "
       "candidates[0].finishReason)"},
      {"EmptyReply", 200, "", kJSON, "The server's reply could not be read: The given data was not valid JSON."},
  };
}

std::vector<FailingBaseAddress> failingBaseAddresses() {
  return {
      {"ConnectionRefused", "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()),
       "Could not connect to the server."},
      // A name under a top-level domain that is never delegated.
      {"UnknownHost", "http://quorbel-vertex-backend.invalid",
       "A server with the specified hostname could not be found."},
      {"BaseAddressWithTrailingSlash", "http://127.0.0.1:8080/",
       "VERTEXAI_BASE_URL must be an http or https address without a trailing \"/\"; it is "
       "\"http://127.0.0.1:8080/\"."},
      {"BaseAddressOfAnotherScheme", "ftp://127.0.0.1",
       "VERTEXAI_BASE_URL must be an http or https address without a trailing \"/\"; it is \"ftp://127.0.0.1\"."},
  };
}

}  // namespace test_doubles
