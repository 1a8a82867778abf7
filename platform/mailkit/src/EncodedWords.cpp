#include "mailkit/EncodedWords.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "AsciiText.hpp"
#include "GMime.hpp"
#include "foundation/Base64.hpp"
#include "foundation/Text.hpp"
#include "mailkit/Charsets.hpp"

namespace mailkit {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Base64 as encoded words carry it (with or without padding); nothing for a
// character outside the alphabet.
std::optional<std::string> base64Decoded(std::string_view text) {
  auto bytes = platform::base64::decodeIgnoringPadding(text);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// "Q" encoding: "_" is a space, "=XX" a byte; anything else stands for itself.
std::string qDecoded(std::string_view text) {
  auto hex = [](char c) {
    return (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
  };
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      bytes += ' ';
    } else if (text[i] == '=' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      bytes += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

struct EncodedWord {
  std::string charset;
  std::string bytes;
  std::size_t end;  // one past the closing "?="
};

// Encoded words are at most 75 characters long; mail programs that write
// longer ones stay far below this. Looking no further keeps hostile header
// text full of "=?" from taking quadratic time.
constexpr std::size_t kLongestEncodedWord = 1000;

// The encoded word "=?charset?B|Q?text?=" at `pos`, or nothing when the text
// there is not one.
std::optional<EncodedWord> encodedWordAt(std::string_view header, std::size_t pos) {
  if (header.substr(pos, 2) != "=?") return std::nullopt;
  std::string_view text = header.substr(0, pos + kLongestEncodedWord);
  std::size_t charsetEnd = text.find('?', pos + 2);
  if (charsetEnd == std::string_view::npos || charsetEnd + 2 >= text.size() || text[charsetEnd + 2] != '?')
    return std::nullopt;
  std::string_view charset = text.substr(pos + 2, charsetEnd - pos - 2);
  charset = charset.substr(0, charset.find('*'));  // "*lang" names the language only
  char encoding = static_cast<char>(std::tolower(static_cast<unsigned char>(text[charsetEnd + 1])));
  std::size_t start = charsetEnd + 3;
  std::size_t close = text.find("?=", start);
  if (charset.empty() || (encoding != 'b' && encoding != 'q') || close == std::string_view::npos) return std::nullopt;
  std::string_view encoded = text.substr(start, close - start);
  if (std::ranges::any_of(charset, isBlank) || std::ranges::any_of(encoded, isBlank)) return std::nullopt;
  std::optional<std::string> bytes = encoding == 'b' ? base64Decoded(encoded) : qDecoded(encoded);
  if (!bytes) return std::nullopt;
  return EncodedWord{std::string(charset), std::move(*bytes), close + 2};
}

// A stretch of header text in UTF-8, and whether it came from encoded words.
struct Piece {
  std::string text;
  bool encoded;
};

// The unfolded text cut into plain stretches and runs of encoded words; the
// white space inside a run is dropped.
std::vector<Piece> pieces(std::string_view raw, std::string_view eightBitCharset) {
  std::string text(raw);
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  std::vector<Piece> pieces;
  std::string plain;     // bytes of the current plain stretch
  std::string run;       // UTF-8 of the current run of encoded words
  std::string charset;   // of the words whose bytes wait in `bytes`
  std::string bytes;
  std::size_t runEnd = 0;
  auto endCharsetGroup = [&] {
    run += textInUTF8(bytes, charset);
    bytes.clear();
  };
  auto endRun = [&] {
    endCharsetGroup();
    pieces.push_back({std::move(run), true});
    run.clear();
  };
  auto endPlain = [&] {
    if (!plain.empty())
      pieces.push_back({textInUTF8(plain, platform::text::isValidUTF8(plain) ? "" : eightBitCharset), false});
    plain.clear();
  };
  bool inRun = false;
  for (std::size_t pos = 0; pos < text.size();) {
    if (auto word = encodedWordAt(text, pos)) {
      if (!inRun) {
        endPlain();
        charset = word->charset;
      } else if (!ascii::equalsIgnoringCase(charset, word->charset)) {
        endCharsetGroup();
        charset = word->charset;
      }
      bytes += word->bytes;
      inRun = true;
      pos = runEnd = word->end;
      continue;
    }
    if (inRun && isBlank(text[pos])) {
      ++pos;  // kept only if no encoded word follows
      continue;
    }
    if (inRun) {
      endRun();
      inRun = false;
      plain.append(text, runEnd, pos - runEnd);
    }
    plain += text[pos++];
  }
  if (inRun) {
    endRun();
    plain.append(text, runEnd, std::string::npos);
  }
  endPlain();
  return pieces;
}

}  // namespace

std::string decodedHeaderText(std::string_view raw, std::string_view eightBitCharset) {
  std::string text;
  for (const auto& piece : pieces(raw, eightBitCharset)) text += piece.text;
  // The field is one line wherever it is shown; a line break decoded from a
  // word would end a subject or a "wrote:" line early.
  std::ranges::replace_if(text, [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return platform::text::trimWhitespaceAndNewlines(text);
}

std::string withEncodedWordsJoined(std::string_view raw, std::string_view eightBitCharset) {
  std::string field;
  for (const auto& piece : pieces(raw, eightBitCharset)) {
    if (!piece.encoded || piece.text.empty()) {
      field += piece.text;
      continue;
    }
    gchar* base64 = g_base64_encode(reinterpret_cast<const guchar*>(piece.text.data()), piece.text.size());
    field += "=?UTF-8?B?" + gmime::take(base64) + "?=";
  }
  return field;
}

}  // namespace mailkit
