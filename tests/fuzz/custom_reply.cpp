// A custom endpoint's reply, in any of the shapes it may take, as the router decodes it.
#include "ProviderReplyFuzzing.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzzing::decodeReply(&quorbel::ExtensionLLMAPIService::parseCustomResponse, data, size);
}
