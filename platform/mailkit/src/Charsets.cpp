#include "mailkit/Charsets.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

#include <unicode/ucnv.h>

#include "AsciiText.hpp"
#include "foundation/Text.hpp"

namespace mailkit {

namespace {

struct ConverterClose {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// Labels that mail programs put on text written in a larger charset of the
// same family; the larger one reads both.
std::string_view widerCharset(std::string_view charset) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> wider{{
      {"iso-8859-1", "windows-1252"},
      {"gb2312", "GBK"},
      {"euc-kr", "windows-949"},
  }};
  for (const auto& [label, larger] : wider)
    if (ucnv_compareNames(std::string(charset).c_str(), std::string(label).c_str()) == 0) return larger;
  return charset;
}

// ISO-2022 text without the escape sequences that another follows at once:
// they designate a character set nothing uses, and ICU refuses them, though
// they are common where encoded words are joined ("ESC ( B" then "ESC $ B").
std::string withoutIdleEscapes(std::string_view bytes) {
  constexpr char kEscape = '\x1b';
  std::string kept;
  kept.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    if (bytes[i] == kEscape) {
      std::size_t end = i + 1;  // ESC, intermediate bytes 0x20-0x2F, a final byte
      while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] <= 0x2F) ++end;
      if (end < bytes.size()) ++end;
      if (end < bytes.size() && bytes[end] == kEscape) {
        i = end;
        continue;
      }
    }
    kept += bytes[i++];
  }
  return kept;
}

bool isUTF8Label(std::string_view charset) { return ucnv_compareNames(std::string(charset).c_str(), "utf-8") == 0; }

// The bytes decoded with the charset, or nothing when the charset is unknown
// or some byte sequence is not valid in it.
std::optional<std::string> strictlyDecoded(std::string_view bytes, std::string_view charset) {
  if (charset.empty()) return std::nullopt;
  if (isUTF8Label(charset)) {
    if (!platform::text::isValidUTF8(bytes)) return std::nullopt;
    return std::string(bytes);
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterClose> converter(ucnv_open(std::string(widerCharset(charset)).c_str(), &status));
  if (U_FAILURE(status)) return std::nullopt;
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  std::string kept;
  std::string_view input = bytes;
  if (ascii::startsWithIgnoringCase(charset, "iso-2022")) input = kept = withoutIdleEscapes(bytes);
  // Three UTF-8 bytes for each byte read are room enough for every charset;
  // ICU says so when they are not, and is asked again with the room it needs.
  if (U_FAILURE(status) || input.size() > static_cast<std::size_t>(INT32_MAX / 4)) return std::nullopt;
  std::string utf8(3 * input.size() + 4, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter.get());
    int32_t length = ucnv_toAlgorithmic(UCNV_UTF8, converter.get(), utf8.data(), static_cast<int32_t>(utf8.size()),
                                        input.data(), static_cast<int32_t>(input.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      utf8.resize(static_cast<std::size_t>(length) + 1);
      continue;
    }
    if (U_FAILURE(status)) return std::nullopt;
    utf8.resize(static_cast<std::size_t>(length));
    return utf8;
  }
  return std::nullopt;
}

}  // namespace

std::string textInUTF8(std::string_view bytes, std::string_view charset) {
  std::optional<std::string> text = strictlyDecoded(bytes, charset);
  constexpr char kEscape = '\x1b';
  if ((!text || text->find(kEscape) != std::string::npos) && bytes.find(kEscape) != std::string_view::npos) {
    if (auto japanese = strictlyDecoded(bytes, "ISO-2022-JP")) text = std::move(japanese);
  }
  if (!text && platform::text::isValidUTF8(bytes)) text = std::string(bytes);
  if (!text) text = strictlyDecoded(bytes, "windows-1252");
  std::string result = text ? std::move(*text) : platform::text::repairUTF8(bytes);
  std::erase(result, '\0');
  return result;
}

}  // namespace mailkit
