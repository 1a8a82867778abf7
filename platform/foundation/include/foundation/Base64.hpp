#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Base64 of RFC 4648 in its two alphabets: the standard one ("+", "/", "="
// padding), in which JSON and mail carry bytes, and the URL-safe one ("-",
// "_", no padding), safe in URLs and HTTP header fields. The one decoder of
// the project: each reading rule below is a mode of it.
namespace platform::base64 {

std::string encode(std::span<const std::uint8_t> bytes);
// Appends the standard form to a text being built (a JSON document writes the
// bytes straight into its output this way).
void appendEncoded(std::string& out, std::span<const std::uint8_t> bytes);
// Standard alphabet only, the length a multiple of four, at most two "=" and
// only at the end; absent for anything else.
std::optional<std::vector<std::uint8_t>> decode(std::string_view text);

std::string encodeURLSafe(std::span<const std::uint8_t> bytes);
// The URL-safe alphabet, and the standard one's "+" and "/" too; padding is
// optional, but at most two "=" that pad to a multiple of four.
std::optional<std::vector<std::uint8_t>> decodeURLSafe(std::string_view text);

// The standard alphabet read as mail's encoded words are written: "=" is
// skipped wherever it stands and bits left over at the end are dropped, so
// that words with and without their padding read alike; absent only for a
// character outside the alphabet.
std::optional<std::vector<std::uint8_t>> decodeIgnoringPadding(std::string_view text);

}  // namespace platform::base64
