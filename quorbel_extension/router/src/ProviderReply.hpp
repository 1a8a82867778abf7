#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "foundation/Json.hpp"
#include "router/ExtensionLLMAPIService.hpp"

namespace quorbel::provider_reply {

// What a provider's parser prints while it reads a reply.
struct ParserTexts {
  std::string_view parsing;     // first line
  std::size_t rawReplyLimit;    // characters of the raw reply shown
  std::string_view jsonError;   // followed by the parser's description
  std::string_view notAnObject;
};

// The reply as a JSON object. Otherwise the completion has been called (with
// the JSON error unchanged, or invalidResponse for a top level that is not an
// object) and nothing is returned.
std::optional<platform::json::Value> readObject(const std::string& body, const LLMCompletion& completion,
                                                const ParserTexts& texts);

// "  📊 Content length: ..." and "  📝 Content preview: ..." of an answer.
void printAnswerSummary(const std::string& answer);

// A provider's handler of the HTTP exchange's outcome: a failure is printed
// after the prefix and completes the request unchanged; a body is announced
// with the success line and handed to the parser.
using Parser = void (ExtensionLLMAPIService::*)(const std::string& body, const LLMCompletion& completion);
ExtensionLLMAPIService::HTTPResultHandler resultHandler(ExtensionLLMAPIService& service, std::string_view failurePrefix,
                                                        std::string_view successLine, Parser parser);

}  // namespace quorbel::provider_reply
