// Sending the connection test's requests and sorting out their replies.
#include <fmt/format.h>

#include "ConnectionTest.hpp"
#include "foundation/Console.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Json.hpp"
#include "foundation/Text.hpp"
#include "foundation/URLCredentials.hpp"
#include "foundation/URLSession.hpp"
#include "shared_settings/ProviderWire.hpp"
#include "settings/LLMAPIError.hpp"

namespace mervo::connection_test {

namespace wire = quorbel::wire;

namespace {

// A URL the test will not send, with the console's word for why.
struct RefusedURL {
  const char* why;
  platform::ErrorPtr error;
};

// Only http and https are ever sent: an endpoint with another scheme, or with
// none at all ("api.openai.com/v1", "localhost:11434", nothing), or with no
// host ("http://"), is refused here, before a connection is attempted, with a
// text that says what is wrong.
std::expected<platform::URL, RefusedURL> checkedURL(const std::string& text) {
  const std::string lowered = platform::text::lowercased(text);
  const std::string masked = platform::withURLCredentialsMasked(text);
  if (!lowered.starts_with("http:") && !lowered.starts_with("https:"))
    return std::unexpected(RefusedURL{
        "Unsupported URL scheme",
        LLMAPIError::configurationError(fmt::format("The endpoint '{}' must begin with http:// or https://", masked))});
  auto url = platform::URL::parse(text);
  if (!url) return std::unexpected(RefusedURL{"Invalid URL", LLMAPIError::make(LLMAPIError::Case::invalidRequest)});
  if (url->host().empty())
    return std::unexpected(RefusedURL{
        "URL has no host", LLMAPIError::configurationError(fmt::format("The endpoint '{}' names no host", masked))});
  return *url;
}

ExchangeResult classifyReply(const std::optional<std::string>& body,
                             const std::optional<platform::HTTPURLResponse>& response,
                             const platform::ErrorPtr& error) {
  if (error) return std::unexpected(error);
  if (!response) return std::unexpected(LLMAPIError::make(LLMAPIError::Case::invalidResponse));
  if (response->statusCode != 200) return std::unexpected(LLMAPIError::httpError(response->statusCode));
  if (!body) return std::unexpected(LLMAPIError::make(LLMAPIError::Case::noData));
  return *body;
}

void printRequest(const EnvironmentConfig& env, const ProviderRequest& request) {
  if (!env.isDebugLoggingEnabled()) return;
  env.debugPrint("🔍 LLMAPIService: HTTP Request Debug");
  env.debugPrint(fmt::format("  📍 Provider: {}", displayName(request.provider)));
  env.debugPrint(fmt::format("  🌐 Endpoint: {}", request.url));
  env.debugPrint(fmt::format("  ⏱️ Timeout: {}s", platform::text::decimalDescription(request.timeout)));
  env.debugPrint("  📋 Headers:");
  for (const auto& [name, value] : request.headers)
    env.debugPrint(fmt::format("    {}: {}", name, wire::maskedHeaderValue(name, value)));
  if (platform::text::isValidUTF8(request.body))
    env.debugPrint(
        fmt::format("  📦 Request Body: {}", platform::text::truncated(request.body, wire::kRequestBodyLimit)));
}

void printReply(const EnvironmentConfig& env, const std::optional<std::string>& body,
                const std::optional<platform::HTTPURLResponse>& response, const platform::ErrorPtr& error) {
  if (error) {
    env.debugPrint(fmt::format("❌ LLMAPIService: Network error: {}", error->localizedDescription()));
    return;
  }
  if (!response) {
    env.debugPrint("❌ LLMAPIService: Invalid HTTP response type");
    return;
  }
  bool readable = body && platform::text::isValidUTF8(*body);
  env.debugPrint("📡 LLMAPIService: HTTP Response received");
  env.debugPrint(fmt::format("  📊 Status Code: {}", response->statusCode));
  env.debugPrint("  📋 Response Headers:");
  for (const auto& [name, value] : response->headers) env.debugPrint(fmt::format("    {}: {}", name, value));
  if (readable)
    env.debugPrint(fmt::format("  📦 Response Body: {}", platform::text::truncated(*body, wire::kResponseBodyLimit)));

  if (response->statusCode != 200) {
    env.debugPrint(fmt::format("❌ LLMAPIService: HTTP error {}", response->statusCode));
    if (readable) env.debugPrint(fmt::format("  💬 Error Response: {}", *body));
  } else if (!body) {
    env.debugPrint("❌ LLMAPIService: No data received in response");
  } else {
    env.debugPrint("✅ LLMAPIService: HTTP request completed successfully");
  }
}

platform::HeaderFields headerFields(const std::map<std::string, std::string>& headers) {
  return {headers.begin(), headers.end()};
}

}  // namespace

void deliver(const LLMCompletion& completion, LLMResult result) {
  platform::DispatchQueue::main().async([completion, result = std::move(result)] { completion(result); });
}

void executeTestRequest(const EnvironmentConfig& env, const ProviderRequest& request, ExchangeHandler handler) {
  printRequest(env, request);
  if (auto url = checkedURL(request.url); !url) {
    // Printed whatever the debug switch says: the user's endpoint is unusable.
    platform::console::print(fmt::format("❌ LLMAPIService: {} - endpoint: '{}'", url.error().why, request.url));
    handler(std::unexpected(url.error().error));
    return;
  }
  env.debugPrint(fmt::format("🚀 LLMAPIService: Sending HTTP request to {}", request.url));
  platform::URLRequest urlRequest{request.url, "POST", headerFields(request.headers), request.body, request.timeout};
  platform::URLSession::shared().dataTask(
      std::move(urlRequest), [env, handler = std::move(handler)](auto body, auto response, auto error) {
        platform::DispatchQueue::main().async([env, handler, body, response, error] {
          printReply(env, body, response, error);
          handler(classifyReply(body, response, error));
        });
      });
}

void testWorkerProxy(const EnvironmentConfig& env, const std::string& model, double timeout,
                     LLMCompletion completion) {
  auto urlText = wire::workerURL(env.workerURL());
  if (auto url = checkedURL(urlText); !url) {
    deliver(completion, std::unexpected(url.error().error));
    return;
  }
  // The worker's request shape with the test's own generation settings.
  auto body = wire::workerBody(model, kBuiltInTestText, std::nullopt, 100);
  body["data"]["generationConfig"]["temperature"] = 0.1;
  auto bodyText = platform::json::serialize(body);
  if (!bodyText) {
    deliver(completion, std::unexpected(LLMAPIError::configurationError("Failed to create test request data")));
    return;
  }
  platform::URLRequest request{
      urlText,
      "POST",
      {{"Authorization", "Bearer " + env.workerAPIKey()}, {"Content-Type", "application/json"}},
      std::move(*bodyText),
      timeout,
  };
  platform::URLSession::shared().dataTask(
      std::move(request), [completion = std::move(completion)](auto body, auto response, auto error) {
        platform::DispatchQueue::main().async([completion, body, response, error] {
          auto reply = classifyReply(body, response, error);
          deliver(completion, reply ? parseWorkerTestResponse(*reply) : LLMResult(std::unexpected(reply.error())));
        });
      });
}

}  // namespace mervo::connection_test
