#include "FirebaseVertexAI/CountTokensResponse.hpp"

#include "Decoding.hpp"

namespace firebase::vertexai {
namespace {

CountTokensResponse readCountTokensResponse(wire::Decoder& decoder) {
  CountTokensResponse response;
  response.totalTokens = wire::readCount(decoder, "totalTokens");
  if (auto characters = decoder.ifPresent("totalBillableCharacters")) response.totalBillableCharacters = characters->int64();
  response.promptTokensDetails = wire::readTokenCounts(decoder, "promptTokensDetails");
  return response;
}

}  // namespace

std::expected<CountTokensResponse, platform::ErrorPtr> CountTokensResponse::decode(std::string_view json) {
  return platform::json::decodeDocument(json, readCountTokensResponse);
}

}  // namespace firebase::vertexai
