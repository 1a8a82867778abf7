#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/TokenCounts.hpp"
#include "foundation/Error.hpp"

namespace firebase::vertexai {

// How many tokens a prompt would use.
struct CountTokensResponse {
  std::int64_t totalTokens = 0;
  std::optional<std::int64_t> totalBillableCharacters;
  std::vector<ModalityTokenCount> promptTokensDetails;

  // Every key is optional (missing or null: 0, absent, none); a value of
  // the wrong type is a decoding error.
  static std::expected<CountTokensResponse, platform::ErrorPtr> decode(std::string_view json);
};

}  // namespace firebase::vertexai
