#include "foundation/Base64.hpp"

#include <array>

namespace platform::base64 {
namespace {

constexpr std::string_view kStandardAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kURLSafeAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

constexpr int kNotInAlphabet = -1;

// Sextet of each byte; the URL-safe table also reads "+" and "/".
using SextetTable = std::array<signed char, 256>;

constexpr SextetTable makeTable(bool urlSafe) {
  SextetTable table{};
  for (auto& entry : table) entry = kNotInAlphabet;
  for (std::size_t i = 0; i < kStandardAlphabet.size(); ++i)
    table[static_cast<unsigned char>(kStandardAlphabet[i])] = static_cast<signed char>(i);
  if (urlSafe) {
    table['-'] = 62;
    table['_'] = 63;
  }
  return table;
}

constexpr SextetTable kStandardTable = makeTable(false);
constexpr SextetTable kURLSafeTable = makeTable(true);

void appendWithAlphabet(std::string& out, std::span<const std::uint8_t> bytes, std::string_view alphabet, bool pad) {
  out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    const char quad[4] = {alphabet[(group >> 18) & 0x3f], alphabet[(group >> 12) & 0x3f],
                          alphabet[(group >> 6) & 0x3f], alphabet[group & 0x3f]};
    out.append(quad, 4);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return;
  std::uint32_t group = bytes[i] << 16;
  if (rest == 2) group |= bytes[i + 1] << 8;
  out += alphabet[(group >> 18) & 0x3f];
  out += alphabet[(group >> 12) & 0x3f];
  if (rest == 2) out += alphabet[(group >> 6) & 0x3f];
  if (pad) out.append(rest == 1 ? "==" : "=");
}

enum class Padding { refused, skipped };

// The bytes of the sextets; bits left over at the end are dropped. Callers
// whose rules allow no such text refuse a length of 1 modulo 4 first.
std::optional<std::vector<std::uint8_t>> decodeSextets(std::string_view text, const SextetTable& table,
                                                       Padding padding = Padding::refused) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3 + 2);
  std::uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=' && padding == Padding::skipped) continue;
    const int sextet = table[static_cast<unsigned char>(c)];
    if (sextet == kNotInAlphabet) return std::nullopt;
    group = (group << 6) | static_cast<std::uint32_t>(sextet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<std::uint8_t>((group >> bits) & 0xff));
    }
  }
  return bytes;
}

std::string_view withoutPadding(std::string_view text) {
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string encode(std::span<const std::uint8_t> bytes) {
  std::string text;
  appendEncoded(text, bytes);
  return text;
}

void appendEncoded(std::string& out, std::span<const std::uint8_t> bytes) {
  appendWithAlphabet(out, bytes, kStandardAlphabet, true);
}

std::optional<std::vector<std::uint8_t>> decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  const auto unpadded = withoutPadding(text);
  // Of a length that is a multiple of four, at most two "=" leave no length
  // of 1 modulo 4.
  if (text.size() - unpadded.size() > 2) return std::nullopt;
  return decodeSextets(unpadded, kStandardTable);
}

std::string encodeURLSafe(std::span<const std::uint8_t> bytes) {
  std::string text;
  appendWithAlphabet(text, bytes, kURLSafeAlphabet, false);
  return text;
}

std::optional<std::vector<std::uint8_t>> decodeURLSafe(std::string_view text) {
  const std::size_t paddedLength = (text.size() + 3) / 4 * 4;
  const auto unpadded = withoutPadding(text);
  if (paddedLength - unpadded.size() > 2) return std::nullopt;  // a length of 1 modulo 4 too
  return decodeSextets(unpadded, kURLSafeTable);
}

std::optional<std::vector<std::uint8_t>> decodeIgnoringPadding(std::string_view text) {
  return decodeSextets(text, kStandardTable, Padding::skipped);
}

}  // namespace platform::base64
