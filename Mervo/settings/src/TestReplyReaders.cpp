// Reading the answer out of each provider's reply to the connection test.
#include <fmt/format.h>

#include "ConnectionTest.hpp"
#include "foundation/Json.hpp"
#include "foundation/Text.hpp"
#include "shared_settings/ProviderWire.hpp"
#include "settings/LLMAPIError.hpp"

namespace mervo::connection_test {

namespace wire = quorbel::wire;

namespace {

LLMResult invalidResponse() { return std::unexpected(LLMAPIError::make(LLMAPIError::Case::invalidResponse)); }

// The reply as a JSON object; the reader's error unchanged when it is not
// JSON, and invalidResponse when it is JSON of another shape.
std::expected<platform::json::Value, platform::ErrorPtr> replyObject(const std::string& body) {
  auto reply = platform::json::parse(body);
  if (!reply) return std::unexpected(reply.error());
  if (!reply->is_object()) return std::unexpected(invalidResponse().error());
  return std::move(*reply);
}

// The reply's answer as the reader finds it; invalidResponse when the reader
// finds none.
template <typename Reader>
LLMResult readAnswer(const std::string& body, Reader reader) {
  auto reply = replyObject(body);
  if (!reply) return std::unexpected(reply.error());
  auto answer = reader(*reply);
  return answer ? LLMResult(*answer) : invalidResponse();
}

LLMResult readCustomReply(const EnvironmentConfig& env, const std::string& body) {
  auto reply = platform::json::parse(body);
  if (!reply) {
    env.debugPrint(fmt::format("❌ LLMAPIService: JSON parsing error: {}", reply.error()->localizedDescription()));
    return std::unexpected(reply.error());
  }
  if (!reply->is_object()) {
    env.debugPrint("❌ LLMAPIService: Response is not valid JSON object");
    return invalidResponse();
  }
  env.debugPrint(fmt::format("  🔑 Response Keys: {}", platform::json::sortedKeysDescription(*reply)));
  if (auto answer = wire::readCustomAnswer(*reply)) {
    env.debugPrint(fmt::format("✅ LLMAPIService: {}", wire::customReplyShapeDescription(answer->shape)));
    return answer->text;
  }
  env.debugPrint("❌ LLMAPIService: No supported response format found");
  env.debugPrint(wire::kCustomReplyShapesHint);
  if (auto sample = wire::sampleField(*reply)) env.debugPrint(fmt::format("  📄 Sample field: {}", *sample));
  return invalidResponse();
}

}  // namespace

LLMResult parseOpenAITestResponse(const std::string& body) { return readAnswer(body, wire::readChatAnswer); }

LLMResult parseOllamaTestResponse(const std::string& body) { return readAnswer(body, wire::readOllamaAnswer); }

LLMResult parseWorkerTestResponse(const std::string& body) { return readAnswer(body, wire::readWorkerAnswer); }

LLMResult parseCustomTestResponse(const EnvironmentConfig& env, const std::string& body) {
  env.debugPrint("🔍 LLMAPIService: Parsing Custom API Response");
  if (platform::text::isValidUTF8(body))
    env.debugPrint(fmt::format("  📄 Raw Response: {}", platform::text::truncated(body, wire::kRawReplyLimit)));
  auto result = readCustomReply(env, body);
  if (result) {
    env.debugPrint("✅ LLMAPIService: Custom API test successful");
  } else {
    env.debugPrint(
        fmt::format("❌ LLMAPIService: Failed to parse test response: {}", result.error()->localizedDescription()));
  }
  return result;
}

}  // namespace mervo::connection_test
