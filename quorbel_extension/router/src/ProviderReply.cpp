#include "ProviderReply.hpp"

#include "Diagnostics.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel::provider_reply {

using diagnostics::debug;
namespace json = platform::json;

std::optional<json::Value> readObject(const std::string& body, const LLMCompletion& completion,
                                      const ParserTexts& texts) {
  if (diagnostics::enabled()) {
    debug(texts.parsing);
    if (auto raw = diagnostics::printableBody(body, texts.rawReplyLimit)) debug("  📄 Raw Response: {}", *raw);
  }
  auto parsed = json::parse(body);
  if (!parsed) {
    debug("{}{}", texts.jsonError, parsed.error()->localizedDescription());
    completion(std::unexpected(parsed.error()));
    return std::nullopt;
  }
  if (!parsed->is_object()) {
    debug(texts.notAnObject);
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::invalidResponse)));
    return std::nullopt;
  }
  if (diagnostics::enabled()) debug("  🔑 Response Keys: {}", json::sortedKeysDescription(*parsed));
  return std::move(*parsed);
}

void printAnswerSummary(const std::string& answer) {
  if (!diagnostics::enabled()) return;
  debug("  📊 Content length: {} chars", platform::text::characterCount(answer));
  debug("  📝 Content preview: {}", platform::text::truncated(answer, wire::kPreviewLimit));
}

ExtensionLLMAPIService::HTTPResultHandler resultHandler(ExtensionLLMAPIService& service, std::string_view failurePrefix,
                                                        std::string_view successLine, Parser parser) {
  return [&service, failurePrefix, successLine, parser](ExtensionLLMAPIService::HTTPResult result,
                                                        const LLMCompletion& completion) {
    if (!result) {
      debug("{}{}", failurePrefix, result.error()->localizedDescription());
      completion(std::unexpected(result.error()));
      return;
    }
    debug(successLine);
    (service.*parser)(*result, completion);
  };
}

}  // namespace quorbel::provider_reply
