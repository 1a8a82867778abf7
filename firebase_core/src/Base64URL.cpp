#include "firebase_core/Base64URL.hpp"

namespace firebase {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// The URL-safe alphabet, and the standard one's "+" and "/" too: the text is
// read as standard base64 once "-" and "_" are put back.
int sextetOf(char c) {
  if (c == '+') return 62;
  if (c == '/') return 63;
  const auto position = kAlphabet.find(c);
  return position == std::string_view::npos ? -1 : static_cast<int>(position);
}

}  // namespace

std::string base64URLEncodedString(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    for (int shift : {18, 12, 6, 0}) text += kAlphabet[(group >> shift) & 0x3f];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = bytes[i] << 16;
    if (rest == 2) group |= bytes[i + 1] << 8;
    text += kAlphabet[(group >> 18) & 0x3f];
    text += kAlphabet[(group >> 12) & 0x3f];
    if (rest == 2) text += kAlphabet[(group >> 6) & 0x3f];
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> dataWithBase64URLEncoded(std::string_view text) {
  // Padded up to a multiple of four, a text may end in at most two "=".
  const std::size_t paddedLength = (text.size() + 3) / 4 * 4;
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  if (text.size() % 4 == 1 || paddedLength - text.size() > 2) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 3 / 4);
  std::uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    const int sextet = sextetOf(c);
    if (sextet < 0) return std::nullopt;
    group = (group << 6) | static_cast<std::uint32_t>(sextet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<std::uint8_t>((group >> bits) & 0xff));
    }
  }
  return bytes;
}

}  // namespace firebase
