#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/URLSession.hpp"
#include "router/ExtensionConfig.hpp"
#include "router/LLMResult.hpp"

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
  static ExtensionLLMAPIService& shared();

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

 private:
  ExtensionLLMAPIService();
  std::string appGroupID_;
};

}  // namespace quorbel
