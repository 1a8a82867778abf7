#pragma once

#include <concepts>
#include <expected>
#include <string>
#include <string_view>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "foundation/Error.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// What the service needs of every request it sends: where to (`url()`), with
// which options, its body (encoded once, straight to text), and the type its
// answer decodes as (once, from the reply's bytes).
template <typename R>
concept GenerativeAIRequest = requires(const R& request, std::string_view body) {
  typename R::Response;
  { request.url() } -> std::same_as<std::expected<platform::URL, platform::ErrorPtr>>;
  { request.options } -> std::convertible_to<RequestOptions>;
  { encodeJSON(request) } -> std::same_as<std::expected<std::string, platform::ErrorPtr>>;
  { R::Response::decode(body) } -> std::same_as<std::expected<typename R::Response, platform::ErrorPtr>>;
};

}  // namespace firebase::vertexai
