// The request path shared by OpenAI, Ollama and the custom endpoint: URL
// check, JSON POST, and the classification of the reply.
#include "Diagnostics.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel {

using diagnostics::debug;
using ErrorCase = ExtensionLLMAPIError::Case;
namespace json = platform::json;

std::expected<platform::URL, platform::ErrorPtr> ExtensionLLMAPIService::validateEndpointURL(
    const std::string& urlText) const {
  if (urlText.empty()) {
    debug("❌ ExtensionLLMAPIService: Endpoint is empty");
    return std::unexpected(ExtensionLLMAPIError::make(ErrorCase::endpointNotConfigured));
  }
  std::string lowered = platform::text::lowercased(urlText);
  if (!lowered.starts_with("http://") && !lowered.starts_with("https://")) {
    debug("❌ ExtensionLLMAPIService: Endpoint missing protocol: '{}'", urlText);
    return std::unexpected(ExtensionLLMAPIError::invalidEndpointURL(urlText));
  }
  auto url = platform::URL::parse(urlText);
  if (!url) {
    debug("❌ ExtensionLLMAPIService: Cannot create URL from endpoint: '{}'", urlText);
    return std::unexpected(ExtensionLLMAPIError::invalidEndpointURL(urlText));
  }
  if (url->host().empty()) {
    debug("❌ ExtensionLLMAPIService: URL has no host: '{}'", urlText);
    return std::unexpected(ExtensionLLMAPIError::invalidEndpointURL(urlText));
  }
  debug("✅ ExtensionLLMAPIService: Endpoint URL validation passed: '{}'", urlText);
  return *url;
}

void ExtensionLLMAPIService::makeJSONRequest(const std::string& urlText, const platform::HeaderFields& headers,
                                             const json::Value& body, const LLMCompletion& completion,
                                             const HTTPResultHandler& handler) {
  double timeoutSeconds = timeout();
  auto encoded = json::serialize(body);

  if (diagnostics::enabled()) {
    debug("🔍 ExtensionLLMAPIService: HTTP Request Debug");
    debug("  🌐 Endpoint: {}", urlText);
    debug("  ⏱️ Timeout: {}s", platform::text::decimalDescription(timeoutSeconds));
    debug("  📋 Headers:");
    for (const auto& [name, value] : headers) debug("    {}: {}", name, wire::maskedHeaderValue(name, value));
    if (encoded)
      debug("  📦 Request Body: {}", platform::text::truncated(*encoded, wire::kRequestBodyLimit));
    else
      debug("  ❌ Failed to serialize request body for logging");
  }

  auto url = validateEndpointURL(urlText);
  if (!url) {
    debug("❌ ExtensionLLMAPIService: URL validation failed for '{}': {}", urlText,
          url.error()->localizedDescription());
    handler(std::unexpected(url.error()), completion);
    return;
  }
  debug("✅ ExtensionLLMAPIService: Using validated URL: {}", url->absoluteString());

  if (!encoded) {
    debug("❌ ExtensionLLMAPIService: Failed to serialize request body to JSON");
    handler(std::unexpected(ExtensionLLMAPIError::make(ErrorCase::invalidRequestData)), completion);
    return;
  }

  platform::URLRequest request;
  request.url = url->absoluteString();
  request.method = "POST";
  request.headers = headers;
  request.body = std::move(*encoded);
  request.timeoutInterval = timeoutSeconds;
  executeRequest(std::move(request), [handler, completion](HTTPResult result) { handler(std::move(result), completion); });
}

void ExtensionLLMAPIService::executeRequest(platform::URLRequest request, BoundResultHandler handler) {
  debug("🚀 ExtensionLLMAPIService: Sending HTTP request to {}", request.url);
  platform::URLSession::shared().dataTask(
      std::move(request), [this, handler = std::move(handler)](std::optional<std::string> body,
                                                               std::optional<platform::HTTPURLResponse> response,
                                                               platform::ErrorPtr error) {
        // Nothing of the reply is looked at before it is on the main queue.
        platform::DispatchQueue::main().async([this, handler, body = std::move(body), response = std::move(response),
                                               error = std::move(error)] {
          handleHTTPResponse(body, response, error, handler);
        });
      });
}

void ExtensionLLMAPIService::handleHTTPResponse(const std::optional<std::string>& body,
                                                const std::optional<platform::HTTPURLResponse>& response,
                                                const platform::ErrorPtr& error, const BoundResultHandler& handler) {
  if (error) {
    if (diagnostics::enabled()) {
      debug("❌ ExtensionLLMAPIService: Network error: {}", error->localizedDescription());
      debug("  🔍 Error Code: {}", error->code());
      debug("  🔍 Error Domain: {}", error->domain());
      debug("  🔍 Error UserInfo: {}", error->userInfoDescription());
    }
    handler(std::unexpected(error));
    return;
  }
  if (!response) {
    debug("❌ ExtensionLLMAPIService: Invalid HTTP response type");
    handler(std::unexpected(ExtensionLLMAPIError::make(ErrorCase::invalidResponse)));
    return;
  }
  if (diagnostics::enabled()) {
    debug("📡 ExtensionLLMAPIService: HTTP Response received");
    debug("  📊 Status Code: {}", response->statusCode);
    debug("  📋 Response Headers:");
    for (const auto& [name, value] : response->headers) debug("    {}: {}", name, value);
    if (body)
      if (auto text = diagnostics::printableBody(*body, wire::kResponseBodyLimit))
        debug("  📦 Response Body: {}", *text);
  }
  if (response->statusCode != 200) {
    debug("❌ ExtensionLLMAPIService: HTTP error {}", response->statusCode);
    if (diagnostics::enabled() && body && platform::text::isValidUTF8(*body)) debug("  💬 Error Response: {}", *body);
    handler(std::unexpected(ExtensionLLMAPIError::httpError(response->statusCode)));
    return;
  }
  if (!body) {
    debug("❌ ExtensionLLMAPIService: No data received in response");
    handler(std::unexpected(ExtensionLLMAPIError::make(ErrorCase::noData)));
    return;
  }
  debug("✅ ExtensionLLMAPIService: HTTP request completed successfully");
  handler(*body);
}

}  // namespace quorbel
