#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <string>

#include "foundation/Json.hpp"
#include "foundation/URLSession.hpp"
#include "router/ExtensionConfig.hpp"
#include "shared_settings/LLMResult.hpp"

namespace quorbel {

// The one way the compose assistant asks a language model for text. Each
// request reads the provider settings of the shared suite afresh and goes to
// the built-in service (worker proxy or Vertex AI), OpenAI, Ollama or a
// custom OpenAI-compatible endpoint.
//
// Threads: failures found before anything is sent complete synchronously on
// the caller's thread; every answer from the network completes on the main
// queue.
class ExtensionLLMAPIService {
 public:
  // The outcome of one HTTP exchange: the reply body of a 200 reply, or why
  // there is none.
  using HTTPResult = std::expected<std::string, platform::ErrorPtr>;
  // A provider's handling of that outcome; it finishes the request through
  // the router's completion.
  using HTTPResultHandler = std::function<void(HTTPResult result, const LLMCompletion& completion)>;
  // The provider's handler with the completion already bound.
  using BoundResultHandler = std::function<void(HTTPResult result)>;

  static ExtensionLLMAPIService& shared();
  // The next shared() makes a new service, as in a fresh process.
  static void resetForTesting();

  const std::string& appGroupID() const { return appGroupID_; }

  // Provider settings, read from the suite named by appGroupID() at each call.
  ExtensionConfig::LLMProvider currentProvider() const;
  std::string apiKey() const;
  std::string endpoint() const;
  std::string model() const;
  std::string customModel() const;
  double timeout() const;       // seconds; 30 when unset or not above zero
  std::int64_t maxTokens() const;  // 2048 when unset or not above zero
  std::string effectiveModel() const;
  std::string effectiveAPIKey() const;
  std::string effectiveEndpoint() const;
  // The text under a key of the shared suite; empty when absent or when the
  // suite cannot be opened.
  std::string stringSetting(const std::string& key) const;

  // Routes one prompt to the current provider.
  void generateContent(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                       LLMCompletion completion);

  // The provider paths, reached through generateContent.
  void generateWithGemini(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                          LLMCompletion completion);
  void generateViaWorker(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                         LLMCompletion completion);
  void generateWithOpenAI(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                          LLMCompletion completion);
  void generateWithOllama(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                          LLMCompletion completion);
  void generateWithCustomAPI(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                             LLMCompletion completion);

  // --- The HTTP exchange shared by OpenAI, Ollama and the custom endpoint ---

  // An http or https URL with a host, or endpointNotConfigured /
  // invalidEndpointURL. The text is taken as it is, untrimmed.
  std::expected<platform::URL, platform::ErrorPtr> validateEndpointURL(const std::string& urlText) const;
  // POSTs the body as JSON. Failures of the URL check and of the encoding
  // reach the handler synchronously; every reply reaches it on the main queue.
  void makeJSONRequest(const std::string& urlText, const platform::HeaderFields& headers,
                       const platform::json::Value& body, const LLMCompletion& completion,
                       const HTTPResultHandler& handler);
  void executeRequest(platform::URLRequest request, BoundResultHandler handler);
  // Classifies a data task's outcome (main queue): transport error, not an
  // HTTP reply, status other than 200, no body, or the body.
  void handleHTTPResponse(const std::optional<std::string>& body,
                          const std::optional<platform::HTTPURLResponse>& response, const platform::ErrorPtr& error,
                          const BoundResultHandler& handler);

  // --- Reply handling, on the main queue ---

  void handleWorkerReply(const platform::ErrorPtr& error, const std::optional<platform::HTTPURLResponse>& response,
                         const std::optional<std::string>& body, const LLMCompletion& completion, double duration);
  void parseWorkerResponse(const std::string& body, const LLMCompletion& completion);
  void parseOpenAIResponse(const std::string& body, const LLMCompletion& completion);
  void parseOllamaResponse(const std::string& body, const LLMCompletion& completion);
  void parseCustomResponse(const std::string& body, const LLMCompletion& completion);

 private:
  ExtensionLLMAPIService();
  void generateWithVertexAI(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                            const LLMCompletion& completion);
  std::string appGroupID_;
};

}  // namespace quorbel
