#include "sparkle/AppcastItem.hpp"

#include "foundation/Text.hpp"
#include "foundation/URLSession.hpp"

namespace sparkle {

std::optional<std::string> AppcastItem::downloadPageURL() const {
  for (const auto* candidate : {&infoURL, &fileURL}) {
    auto url = platform::URL::parse(*candidate);
    if (!url || url->host().empty()) continue;
    const auto scheme = platform::text::lowercased(url->scheme());
    if (scheme == "http" || scheme == "https") return *candidate;
  }
  return std::nullopt;
}

}  // namespace sparkle
