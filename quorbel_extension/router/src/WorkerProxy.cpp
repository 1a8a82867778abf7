// The built-in service through the hosted worker proxy.
#include <chrono>

#include "Diagnostics.hpp"
#include "ProviderReply.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel {

using diagnostics::boolText;
using diagnostics::debug;
using ErrorCase = ExtensionLLMAPIError::Case;
namespace json = platform::json;

namespace {

platform::ErrorPtr failure(ErrorCase c) { return ExtensionLLMAPIError::make(c); }

const char* workerFaultLine(wire::WorkerReplyFault fault) {
  using F = wire::WorkerReplyFault;
  switch (fault) {
    case F::noSuccess: return "❌ ExtensionLLMAPIService: No 'success' field in Worker response";
    case F::reportedFailure: return "❌ ExtensionLLMAPIService: Worker reported failure";
    case F::noData: return "❌ ExtensionLLMAPIService: No 'data' object in Worker response";
    case F::noCandidates: return "❌ ExtensionLLMAPIService: No 'candidates' array in Worker response data";
    case F::emptyCandidates: return "❌ ExtensionLLMAPIService: Empty 'candidates' array in Worker response";
    case F::noContent: return "❌ ExtensionLLMAPIService: No 'content' object in first candidate";
    case F::noParts: return "❌ ExtensionLLMAPIService: No 'parts' array in content";
    case F::emptyParts: return "❌ ExtensionLLMAPIService: Empty 'parts' array in content";
    case F::noText: return "❌ ExtensionLLMAPIService: No 'text' string in first part";
  }
  return "";
}

}  // namespace

void ExtensionLLMAPIService::generateViaWorker(const std::string& prompt,
                                               const std::optional<std::string>& systemPrompt,
                                               LLMCompletion completion) {
  if (diagnostics::enabled()) {
    debug("🚀 ExtensionLLMAPIService: Starting Worker proxy content generation");
    debug("  🌐 Worker URL: {}", ExtensionConfig::value("CLOUDFLARE_WORKER_URL", ""));
    debug("  🔑 Has Worker API Key: {}", boolText(!ExtensionConfig::value("WORKER_API_KEY", "").empty()));
    debug("  📝 Model: {}", effectiveModel());
    debug("  ⚙️ Max Tokens: {}", maxTokens());
    debug("  🌡️ Temperature: 0.7");
    debug("  📊 Prompt length: {} chars", platform::text::characterCount(prompt));
    debug("  📋 System prompt: {}", diagnostics::systemPromptSummary(systemPrompt));
  }

  std::string baseURL = ExtensionConfig::value("CLOUDFLARE_WORKER_URL", "");
  std::string workerKey = ExtensionConfig::value("WORKER_API_KEY", "");
  if (baseURL.empty() || workerKey.empty()) {
    debug("❌ ExtensionLLMAPIService: Cloudflare Worker not configured");
    debug("  🌐 Worker URL empty: {}", boolText(baseURL.empty()));
    debug("  🔑 Worker API Key empty: {}", boolText(workerKey.empty()));
    completion(std::unexpected(ExtensionLLMAPIError::serviceNotAvailable("Cloudflare Worker not configured")));
    return;
  }

  std::string urlText = wire::workerURL(baseURL);
  if (!platform::URL::parse(urlText)) {
    debug("❌ ExtensionLLMAPIService: Invalid Worker URL: {}", urlText);
    completion(std::unexpected(failure(ErrorCase::invalidRequest)));
    return;
  }

  platform::URLRequest request;
  request.url = urlText;
  request.method = "POST";
  request.headers = {{"Authorization", "Bearer " + ExtensionConfig::value("WORKER_API_KEY", "")},
                     {"Content-Type", "application/json"}};
  request.timeoutInterval = timeout();

  json::Value body = wire::workerBody(effectiveModel(), prompt, systemPrompt, maxTokens());
  debug("📨 ExtensionLLMAPIService: Prepared Worker request with {} content parts", wire::workerContentCount(body));

  auto encoded = json::serialize(body);
  if (!encoded) {
    debug("❌ ExtensionLLMAPIService: Failed to serialize Worker request body: {}",
          encoded.error()->localizedDescription());
    completion(std::unexpected(failure(ErrorCase::invalidRequestData)));
    return;
  }
  request.body = std::move(*encoded);
  debug("✅ ExtensionLLMAPIService: Request body serialized successfully");
  debug("🌐 ExtensionLLMAPIService: Sending Worker API request to {}", urlText);

  auto start = std::chrono::steady_clock::now();
  platform::URLSession::shared().dataTask(
      std::move(request), [this, completion, start](std::optional<std::string> replyBody,
                                                    std::optional<platform::HTTPURLResponse> response,
                                                    platform::ErrorPtr error) {
        double duration = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        platform::DispatchQueue::main().async([this, completion, duration, replyBody = std::move(replyBody),
                                               response = std::move(response), error = std::move(error)] {
          handleWorkerReply(error, response, replyBody, completion, duration);
        });
      });
}

void ExtensionLLMAPIService::handleWorkerReply(const platform::ErrorPtr& error,
                                               const std::optional<platform::HTTPURLResponse>& response,
                                               const std::optional<std::string>& body, const LLMCompletion& completion,
                                               double duration) {
  if (error) {
    debug("❌ ExtensionLLMAPIService: Worker request failed");
    debug(diagnostics::durationLine(duration));
    debug("  💥 Error: {}", error->localizedDescription());
    debug("  🔍 Error details: {}", error->debugDescription());
    completion(std::unexpected(error));
    return;
  }
  if (!response) {
    debug("❌ ExtensionLLMAPIService: Invalid Worker HTTP response type");
    debug(diagnostics::durationLine(duration));
    completion(std::unexpected(failure(ErrorCase::invalidResponse)));
    return;
  }
  debug("📊 ExtensionLLMAPIService: Worker HTTP response received");
  debug(diagnostics::durationLine(duration));
  debug("  📊 Status Code: {}", response->statusCode);

  if (response->statusCode != 200) {
    debug("❌ ExtensionLLMAPIService: Worker HTTP error {}", response->statusCode);
    if (diagnostics::enabled() && body && platform::text::isValidUTF8(*body))
      debug("  💬 Error Response: {}", *body);
    completion(std::unexpected(ExtensionLLMAPIError::httpError(response->statusCode)));
    return;
  }
  if (!body) {
    debug("❌ ExtensionLLMAPIService: No data received from Worker");
    completion(std::unexpected(failure(ErrorCase::noData)));
    return;
  }
  debug("✅ ExtensionLLMAPIService: Worker request successful, parsing response...");
  parseWorkerResponse(*body, completion);
}

void ExtensionLLMAPIService::parseWorkerResponse(const std::string& body, const LLMCompletion& completion) {
  static constexpr provider_reply::ParserTexts kTexts{
      "🔍 ExtensionLLMAPIService: Parsing Worker Google API response", wire::kResponseBodyLimit,
      "❌ ExtensionLLMAPIService: Worker JSON parsing error: ",
      "❌ ExtensionLLMAPIService: Worker response is not valid JSON object"};
  auto reply = provider_reply::readObject(body, completion, kTexts);
  if (!reply) return;

  auto answer = wire::readWorkerAnswer(*reply);
  if (!answer) {
    debug(workerFaultLine(answer.error()));
    if (answer.error() == wire::WorkerReplyFault::reportedFailure)
      if (auto workerError = json::stringMember(*reply, "error")) debug("  ❌ Error from Worker: {}", *workerError);
    completion(std::unexpected(failure(ErrorCase::invalidResponse)));
    return;
  }
  debug("✅ ExtensionLLMAPIService: Worker Google API response parsed successfully");
  provider_reply::printAnswerSummary(*answer);
  completion(std::move(*answer));
}

}  // namespace quorbel
