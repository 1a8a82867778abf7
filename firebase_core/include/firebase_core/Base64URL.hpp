#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace firebase {

// Standard base64 with "/" as "_", "+" as "-" and no "=" padding: safe in
// URLs and HTTP headers.
std::string base64URLEncodedString(std::span<const std::uint8_t> bytes);
// The bytes of such a text (padding optional; "+" and "/" are read too);
// absent when it does not decode.
std::optional<std::vector<std::uint8_t>> dataWithBase64URLEncoded(std::string_view text);

}  // namespace firebase
