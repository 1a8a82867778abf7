#include "DecodingFailureDescription.hpp"

#include <string_view>

#include "QuotedServerText.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

// How the decoder names an element of an array in a coding path.
constexpr std::string_view kIndexPrefix = "Index ";

bool isArrayIndex(std::string_view element) {
  if (!element.starts_with(kIndexPrefix) || element.size() == kIndexPrefix.size()) return false;
  return element.substr(kIndexPrefix.size()).find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::string decodingFailurePath(const platform::ErrorPtr& error) {
  const auto* decoding = platform::errorAs<platform::json::DecodingError>(error);
  if (!decoding) return {};
  std::string path;
  for (const auto& element : decoding->codingPath()) {
    if (isArrayIndex(element)) {
      path += "[" + element.substr(kIndexPrefix.size()) + "]";
    } else {
      if (!path.empty()) path += '.';
      path += quotedServerText(element);
    }
  }
  return path;
}

std::string describeDecodingFailure(const platform::ErrorPtr& error) {
  const auto* decoding = platform::errorAs<platform::json::DecodingError>(error);
  if (!decoding) return error->localizedDescription();
  const std::string path = decodingFailurePath(error);
  return decoding->description() + (path.empty() ? std::string() : " (at " + path + ")");
}

}  // namespace firebase::vertexai
