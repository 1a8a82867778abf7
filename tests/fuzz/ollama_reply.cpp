// An Ollama generate reply, as the router decodes it.
#include "ProviderReplyFuzzing.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzzing::decodeReply(&quorbel::ExtensionLLMAPIService::parseOllamaResponse, data, size);
}
