#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Json.hpp"

namespace quorbel::wire {

// The providers' request and reply formats, in one place: the extension's
// router and the settings application's connection test both build and read
// them here, each printing its own diagnostics around them.

inline constexpr double kTemperature = 0.7;

// --- Chat completions (OpenAI and custom endpoints) -------------------------

// When a system message goes first: OpenAI sends it whenever one is given,
// even empty; the custom endpoint only when it is not empty.
enum class SystemMessagePolicy { whenGiven, whenNotEmpty };

platform::json::Value chatMessages(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                                   SystemMessagePolicy policy);
// {"model", "messages", "max_tokens", "temperature"}
platform::json::Value chatCompletionsBody(const std::string& model, platform::json::Value messages,
                                          std::int64_t maxTokens);
// endpoint + "/chat/completions", joined as plain text.
std::string openAIURL(const std::string& endpoint);

struct CustomURL {
  std::string url;
  bool appendedPath = false;  // "/chat/completions" was added
};
// Used unchanged when it ends with "/chat/completions" or "/completions";
// otherwise trimmed of "/" at both ends and given "/chat/completions".
CustomURL customEndpointURL(const std::string& endpoint);

enum class ChatReplyFault { noChoices, emptyChoices, noMessage, noContent };
// choices[0].message.content
std::expected<std::string, ChatReplyFault> readChatAnswer(const platform::json::Value& reply);

// The shapes a custom endpoint may answer in, tried in this order.
enum class CustomReplyShape { chatMessage, response, content, text, choiceText };
struct CustomAnswer {
  std::string text;
  CustomReplyShape shape;
};
std::optional<CustomAnswer> readCustomAnswer(const platform::json::Value& reply);

// --- Ollama generate ----------------------------------------------------------

// system + "\n\nUser: " + prompt + "\nAssistant:" when a system prompt is
// given (even empty), else the prompt.
std::string ollamaPrompt(const std::string& prompt, const std::optional<std::string>& systemPrompt);
// {"model", "prompt", "stream": false, "options": {"temperature", "num_predict"}}
platform::json::Value ollamaGenerateBody(const std::string& model, const std::string& prompt, std::int64_t maxTokens);
// endpoint + "/api/generate"
std::string ollamaURL(const std::string& endpoint);
// The "response" string.
std::optional<std::string> readOllamaAnswer(const platform::json::Value& reply);

// --- Worker proxy ---------------------------------------------------------------

// {"endpoint": "generateContent", "model", "data": {"contents", "generationConfig"}}
platform::json::Value workerBody(const std::string& model, const std::string& prompt,
                                 const std::optional<std::string>& systemPrompt, std::int64_t maxTokens);
// workerURL + "/google-api"
std::string workerURL(const std::string& workerBaseURL);
std::size_t workerContentCount(const platform::json::Value& body);

enum class WorkerReplyFault {
  noSuccess,
  reportedFailure,
  noData,
  noCandidates,
  emptyCandidates,
  noContent,
  noParts,
  emptyParts,
  noText,
};
// data.candidates[0].content.parts[0].text of a successful envelope.
std::expected<std::string, WorkerReplyFault> readWorkerAnswer(const platform::json::Value& reply);

// --- Diagnostics shared by both sides --------------------------------------------

// How many characters of a long text the console shows; a cut text ends in
// "...".
inline constexpr std::size_t kRequestBodyLimit = 1000;
inline constexpr std::size_t kResponseBodyLimit = 500;
inline constexpr std::size_t kRawReplyLimit = 300;
inline constexpr std::size_t kPreviewLimit = 100;

// An "Authorization" value as dumps show it: up to 10 characters print as
// "***", longer ones as their first 10 characters and "...".
std::string maskedHeaderValue(const std::string& name, const std::string& value);

// How a custom reply was read, as the console says it after the type's name:
// "Parsed 'response' field" and the like.
std::string_view customReplyShapeDescription(CustomReplyShape shape);
// The console's hint when a custom reply has none of the shapes.
inline constexpr std::string_view kCustomReplyShapesHint =
    "  💡 Expected: OpenAI format (choices[0].message.content) or direct fields (response/content/text)";
// "name = value" of the reply's first member, a text shown as itself and
// anything else as JSON; nothing for an empty object.
std::optional<std::string> sampleField(const platform::json::Value& reply);

}  // namespace quorbel::wire
