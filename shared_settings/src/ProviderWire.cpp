#include "shared_settings/ProviderWire.hpp"

#include <optional>

#include "foundation/Text.hpp"

namespace quorbel::wire {

using platform::json::Value;
namespace json = platform::json;

namespace {
constexpr std::string_view kChatCompletionsPath = "/chat/completions";

Value message(const char* role, const std::string& content) { return Value{{"role", role}, {"content", content}}; }

// The first element of an array-of-objects member that is not empty.
const Value* firstObjectOf(const Value& object, std::string_view key) {
  const Value* array = json::arrayOfObjectsMember(object, key);
  return array && !array->empty() ? &array->front() : nullptr;
}
}  // namespace

// --- Chat completions ---------------------------------------------------------

Value chatMessages(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                   SystemMessagePolicy policy) {
  Value messages = Value::array();
  bool sendSystem = systemPrompt && (policy == SystemMessagePolicy::whenGiven || !systemPrompt->empty());
  if (sendSystem) messages.push_back(message("system", *systemPrompt));
  messages.push_back(message("user", prompt));
  return messages;
}

Value chatCompletionsBody(const std::string& model, Value messages, std::int64_t maxTokens) {
  return Value{{"model", model}, {"messages", std::move(messages)}, {"max_tokens", maxTokens},
               {"temperature", kTemperature}};
}

std::string openAIURL(const std::string& endpoint) { return endpoint + std::string(kChatCompletionsPath); }

CustomURL customEndpointURL(const std::string& endpoint) {
  if (endpoint.ends_with(kChatCompletionsPath) || endpoint.ends_with("/completions")) return {endpoint, false};
  std::string_view trimmed = endpoint;
  while (trimmed.starts_with('/')) trimmed.remove_prefix(1);
  while (trimmed.ends_with('/')) trimmed.remove_suffix(1);
  return {std::string(trimmed) + std::string(kChatCompletionsPath), true};
}

std::expected<std::string, ChatReplyFault> readChatAnswer(const Value& reply) {
  const Value* choices = json::arrayOfObjectsMember(reply, "choices");
  if (!choices) return std::unexpected(ChatReplyFault::noChoices);
  if (choices->empty()) return std::unexpected(ChatReplyFault::emptyChoices);
  const Value* message = json::objectMember(choices->front(), "message");
  if (!message) return std::unexpected(ChatReplyFault::noMessage);
  auto content = json::stringMember(*message, "content");
  if (!content) return std::unexpected(ChatReplyFault::noContent);
  return *content;
}

std::optional<CustomAnswer> readCustomAnswer(const Value& reply) {
  if (auto answer = readChatAnswer(reply)) return CustomAnswer{*answer, CustomReplyShape::chatMessage};
  if (auto text = json::stringMember(reply, "response")) return CustomAnswer{*text, CustomReplyShape::response};
  if (auto text = json::stringMember(reply, "content")) return CustomAnswer{*text, CustomReplyShape::content};
  if (auto text = json::stringMember(reply, "text")) return CustomAnswer{*text, CustomReplyShape::text};
  if (const Value* first = firstObjectOf(reply, "choices"))
    if (auto text = json::stringMember(*first, "text")) return CustomAnswer{*text, CustomReplyShape::choiceText};
  return std::nullopt;
}

// --- Ollama generate ------------------------------------------------------------

std::string ollamaPrompt(const std::string& prompt, const std::optional<std::string>& systemPrompt) {
  if (!systemPrompt) return prompt;
  return *systemPrompt + "\n\nUser: " + prompt + "\nAssistant:";
}

Value ollamaGenerateBody(const std::string& model, const std::string& prompt, std::int64_t maxTokens) {
  return Value{{"model", model},
               {"prompt", prompt},
               {"stream", false},
               {"options", Value{{"temperature", kTemperature}, {"num_predict", maxTokens}}}};
}

std::string ollamaURL(const std::string& endpoint) { return endpoint + "/api/generate"; }

std::optional<std::string> readOllamaAnswer(const Value& reply) { return json::stringMember(reply, "response"); }

// --- Worker proxy -------------------------------------------------------------------

Value workerBody(const std::string& model, const std::string& prompt, const std::optional<std::string>& systemPrompt,
                 std::int64_t maxTokens) {
  auto content = [](const std::string& text) { return Value{{"parts", Value::array({Value{{"text", text}}})}}; };
  Value contents = Value::array();
  if (systemPrompt && !systemPrompt->empty()) contents.push_back(content(*systemPrompt));
  contents.push_back(content(prompt));
  return Value{{"endpoint", "generateContent"},
               {"model", model},
               {"data", Value{{"contents", std::move(contents)},
                              {"generationConfig", Value{{"maxOutputTokens", maxTokens}, {"temperature", kTemperature}}}}}};
}

std::string workerURL(const std::string& workerBaseURL) { return workerBaseURL + "/google-api"; }

std::size_t workerContentCount(const Value& body) {
  const Value* data = json::objectMember(body, "data");
  const Value* contents = data ? json::member(*data, "contents") : nullptr;
  return contents && contents->is_array() ? contents->size() : 0;
}

std::expected<std::string, WorkerReplyFault> readWorkerAnswer(const Value& reply) {
  auto success = json::boolMember(reply, "success");
  if (!success) return std::unexpected(WorkerReplyFault::noSuccess);
  if (!*success) return std::unexpected(WorkerReplyFault::reportedFailure);
  const Value* data = json::objectMember(reply, "data");
  if (!data) return std::unexpected(WorkerReplyFault::noData);
  const Value* candidates = json::arrayOfObjectsMember(*data, "candidates");
  if (!candidates) return std::unexpected(WorkerReplyFault::noCandidates);
  if (candidates->empty()) return std::unexpected(WorkerReplyFault::emptyCandidates);
  const Value* content = json::objectMember(candidates->front(), "content");
  if (!content) return std::unexpected(WorkerReplyFault::noContent);
  const Value* parts = json::arrayOfObjectsMember(*content, "parts");
  if (!parts) return std::unexpected(WorkerReplyFault::noParts);
  if (parts->empty()) return std::unexpected(WorkerReplyFault::emptyParts);
  auto text = json::stringMember(parts->front(), "text");
  if (!text) return std::unexpected(WorkerReplyFault::noText);
  return *text;
}

// --- Diagnostics --------------------------------------------------------------------

std::string maskedHeaderValue(const std::string& name, const std::string& value) {
  if (platform::text::lowercased(name).find("authorization") == std::string::npos) return value;
  constexpr std::size_t kShown = 10;
  if (platform::text::characterCount(value) <= kShown) return "***";
  return platform::text::prefixCharacters(value, kShown) + "...";
}

std::string_view customReplyShapeDescription(CustomReplyShape shape) {
  switch (shape) {
    case CustomReplyShape::chatMessage: return "Parsed OpenAI-compatible response format";
    case CustomReplyShape::response: return "Parsed 'response' field";
    case CustomReplyShape::content: return "Parsed 'content' field";
    case CustomReplyShape::text: return "Parsed 'text' field";
    case CustomReplyShape::choiceText: return "Parsed alternative OpenAI format";
  }
  return {};
}

std::optional<std::string> sampleField(const Value& reply) {
  if (!reply.is_object() || reply.empty()) return std::nullopt;
  auto first = reply.items().begin();
  const Value& value = first.value();
  std::string shown = value.is_string() ? value.get<std::string>()
                                        : value.dump(-1, ' ', false, Value::error_handler_t::replace);
  return first.key() + " = " + shown;
}

}  // namespace quorbel::wire
