#include "mailkit/Charsets.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

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

// A text read with a charset, how many of the byte sequences read were not
// valid in it (each read as U+FFFD), and how many of those were cut UTF-8
// characters: a lead byte with some of its continuation bytes, the rest
// missing, as where a line or a field was cut inside a character.
struct Reading {
  std::string text;
  std::size_t replaced = 0;
  std::size_t cut = 0;
};

// A reading is poor when more than half of the characters outside ASCII it
// gives are replacements of stray bytes: a few bad sequences in text of the
// label's charset stay far below, while text in another charset, where
// nearly every such character fails, is far above it. A cut UTF-8 character
// is UTF-8 that was broken, not a sign of another charset: it never makes a
// reading poor, so that a short text whose only characters outside ASCII
// are cut is still read as UTF-8.
constexpr std::size_t kPoorReadingReplacedPerHundred = 50;

bool isPoor(const Reading& reading) {
  if (reading.replaced == reading.cut) return false;
  const auto outsideASCII = static_cast<std::size_t>(std::ranges::count_if(
      reading.text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0xC0; }));  // lead bytes
  return (reading.replaced - reading.cut) * 100 > outsideASCII * kPoorReadingReplacedPerHundred;
}

bool hasCharacterOutsideASCII(std::string_view bytes) {
  return std::ranges::any_of(bytes, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Counts each sequence the charset does not take and reads it as U+FFFD,
// whatever substitute the charset itself would give. ICU hands a bad UTF-8
// sequence over as its longest part that could begin a character, so one
// of two bytes or more is a cut character.
void replaceAndCount(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t length,
                     UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing read
  auto* reading = static_cast<Reading*>(const_cast<void*>(context));
  ++reading->replaced;
  if (length > 1 && ucnv_getType(args->converter) == UCNV_UTF8) ++reading->cut;
  static constexpr UChar kReplacement = 0xFFFD;
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, status);
}

// The bytes read with the charset, or nothing when the charset is unknown.
std::optional<Reading> readWith(std::string_view bytes, std::string_view charset) {
  if (charset.empty()) return std::nullopt;
  if (isUTF8Label(charset) && platform::text::isValidUTF8(bytes)) return Reading{std::string(bytes), 0};
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterClose> converter(ucnv_open(std::string(widerCharset(charset)).c_str(), &status));
  if (U_FAILURE(status)) return std::nullopt;
  Reading reading;
  ucnv_setToUCallBack(converter.get(), replaceAndCount, &reading, nullptr, nullptr, &status);
  std::string kept;
  std::string_view input = bytes;
  if (ascii::startsWithIgnoringCase(charset, "iso-2022")) input = kept = withoutIdleEscapes(bytes);
  // Three UTF-8 bytes for each byte read are room enough for every charset
  // (a replacement too); ICU says so when they are not, and is asked again
  // with the room it needs.
  if (U_FAILURE(status) || input.size() > static_cast<std::size_t>(INT32_MAX / 4)) return std::nullopt;
  reading.text.assign(3 * input.size() + 4, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    status = U_ZERO_ERROR;
    reading.replaced = reading.cut = 0;
    ucnv_resetToUnicode(converter.get());
    int32_t length =
        ucnv_toAlgorithmic(UCNV_UTF8, converter.get(), reading.text.data(), static_cast<int32_t>(reading.text.size()),
                           input.data(), static_cast<int32_t>(input.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      reading.text.resize(static_cast<std::size_t>(length) + 1);
      continue;
    }
    if (U_FAILURE(status)) return std::nullopt;
    reading.text.resize(static_cast<std::size_t>(length));
    return reading;
  }
  return std::nullopt;
}

// A reading that is not poor; but bytes that are valid UTF-8, characters
// outside ASCII included, are UTF-8 whenever a label reads any of them as
// replacements: the decoders of multibyte charsets (Shift_JIS, EUC, GBK)
// take most pairs of UTF-8 bytes, so UTF-8 text under such a label is read
// as other characters, a few replacements among them.
std::optional<std::string> goodReading(std::string_view bytes, std::string_view charset) {
  std::optional<Reading> reading = readWith(bytes, charset);
  if (!reading || isPoor(*reading)) return std::nullopt;
  if (reading->replaced > 0 && hasCharacterOutsideASCII(bytes) && platform::text::isValidUTF8(bytes))
    return std::nullopt;
  return std::move(reading->text);
}

}  // namespace

bool readsWell(std::string_view bytes, std::string_view charset) { return goodReading(bytes, charset).has_value(); }

std::string textInUTF8(std::string_view bytes, std::string_view charset, std::string_view nextCharset) {
  std::optional<std::string> text = goodReading(bytes, charset);
  constexpr char kEscape = '\x1b';
  if ((!text || text->find(kEscape) != std::string::npos) && bytes.find(kEscape) != std::string_view::npos) {
    if (auto japanese = goodReading(bytes, "ISO-2022-JP")) text = std::move(japanese);
  }
  if (!text) text = goodReading(bytes, nextCharset);
  if (!text && platform::text::isValidUTF8(bytes)) text = std::string(bytes);
  // windows-1252 takes nearly every byte; what it does not is replaced.
  if (!text) {
    if (auto latin = readWith(bytes, "windows-1252")) text = std::move(latin->text);
  }
  std::string result = text ? std::move(*text) : platform::text::repairUTF8(bytes);
  std::erase(result, '\0');
  return result;
}

}  // namespace mailkit
