#pragma once

// The pieces of the connection test below LLMAPIService: the HTTP exchange,
// the worker proxy test and the reply readers. Internal to the library.

#include <expected>
#include <functional>
#include <string>

#include "foundation/Error.hpp"
#include "shared_settings/LLMResult.hpp"
#include "settings/EnvironmentConfig.hpp"
#include "settings/ProviderRequest.hpp"

namespace mervo::connection_test {

using quorbel::LLMCompletion;
using quorbel::LLMResult;

inline constexpr const char* kTestPrompt = "Hello, please respond with 'Connection successful!'";
inline constexpr const char* kTestSystemPrompt = "You are a test assistant. Respond exactly as requested.";
// Sent to the built-in service, through the worker proxy and Vertex AI alike.
inline constexpr const char* kBuiltInTestText =
    "You are a test assistant. Respond exactly with 'Connection successful!' and nothing else.";

// Hands the outcome to the completion in a main-queue work item of its own,
// so the completion never runs inside testConnection, whatever the outcome.
void deliver(const LLMCompletion& completion, LLMResult result);

// The body of a reply with status 200, or why there is none.
using ExchangeResult = std::expected<std::string, platform::ErrorPtr>;
using ExchangeHandler = std::function<void(ExchangeResult)>;

// Sends one provider request. The handler runs on the main queue for every
// reply, and at once when the URL is refused before sending.
void executeTestRequest(const EnvironmentConfig& env, const ProviderRequest& request, ExchangeHandler handler);

// Tests the built-in service through the worker proxy.
void testWorkerProxy(const EnvironmentConfig& env, const std::string& model, double timeout,
                     LLMCompletion completion);

LLMResult parseOpenAITestResponse(const std::string& body);
LLMResult parseOllamaTestResponse(const std::string& body);
LLMResult parseCustomTestResponse(const EnvironmentConfig& env, const std::string& body);
LLMResult parseWorkerTestResponse(const std::string& body);

}  // namespace mervo::connection_test
