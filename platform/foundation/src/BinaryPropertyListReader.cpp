#include <bit>
#include <cstring>

#include <unicode/ustring.h>

#include "BinaryPropertyList.hpp"
#include "BinaryPropertyListObjects.hpp"
#include "BinaryPropertyListShape.hpp"

namespace platform::plist::binary {
namespace {

using Refusal = std::unexpected<std::string>;

// Decodes the objects of a table that binaryPropertyListFits accepted: every
// reference lies within the table and the nesting is bounded, so the
// recursion is too.
class Reader {
 public:
  explicit Reader(const ObjectTable& table) : table_(table), bytes_(table.bytes()) {}

  std::expected<PropertyValue, std::string> object(std::uint64_t index) {
    const auto header = table_.headerOf(index);
    if (!header) return Refusal("an object lies outside the file");
    switch (header->type) {
      case kSingleton:
        if (header->info == 0x8) return PropertyValue(false);
        if (header->info == 0x9) return PropertyValue(true);
        return Refusal("a null or fill object");
      case kInteger: return integer(*header);
      case kReal: return real(*header);
      case kDate: {
        if (header->info != 0x3) return Refusal("a date of unknown width");
        auto seconds = float64(header->body);
        if (!seconds) return Refusal("a date lies outside the file");
        return PropertyValue(PropertyValue::Date{*seconds});
      }
      case kData: {
        auto content = span(*header, 1);
        if (!content) return Refusal("data lies outside the file");
        return PropertyValue(PropertyValue::Data(content->begin(), content->end()));
      }
      case kASCIIString:
      case kUTF16String: {
        auto text = string(*header);
        if (!text) return Refusal(text.error());
        return PropertyValue(std::move(*text));
      }
      case kArray: return array(index);
      case kDictionary: return dictionary(index, header->length);
      default: return Refusal("an object of a type settings never hold");
    }
  }

 private:
  std::optional<std::string_view> span(const ObjectTable::Header& header, std::uint64_t unit) const {
    if (header.length > (bytes_.size() - header.body) / unit) return std::nullopt;
    return bytes_.substr(header.body, header.length * unit);
  }

  std::optional<double> float64(std::uint64_t offset) const {
    auto bits = bigEndian(bytes_, offset, 8);
    if (!bits) return std::nullopt;
    return std::bit_cast<double>(*bits);
  }

  std::expected<PropertyValue, std::string> integer(const ObjectTable::Header& header) const {
    if (header.info > 4) return Refusal("an integer of unknown width");
    if (header.info == 4) {
      // 128 bits: what is written for unsigned values above INT64_MAX, and
      // may hold a negative value sign-extended.
      auto high = bigEndian(bytes_, header.body, 8);
      auto low = bigEndian(bytes_, header.body + 8, 8);
      if (!high || !low) return Refusal("an integer lies outside the file");
      if (*high == 0) return PropertyValue(*low);
      if (*high == UINT64_MAX && (*low >> 63) != 0) return PropertyValue(static_cast<std::int64_t>(*low));
      return Refusal("an integer beyond 64 bits");
    }
    const std::uint64_t width = std::uint64_t{1} << header.info;
    auto value = bigEndian(bytes_, header.body, width);
    if (!value) return Refusal("an integer lies outside the file");
    // Eight bytes are signed; narrower integers are unsigned, so both fit.
    return PropertyValue(static_cast<std::int64_t>(*value));
  }

  std::expected<PropertyValue, std::string> real(const ObjectTable::Header& header) const {
    if (header.info == 3) {
      if (auto value = float64(header.body)) return PropertyValue(*value);
    } else if (header.info == 2) {
      if (auto bits = bigEndian(bytes_, header.body, 4))
        return PropertyValue(static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(*bits))));
    } else {
      return Refusal("a real of unknown width");
    }
    return Refusal("a real lies outside the file");
  }

  std::expected<std::string, std::string> string(const ObjectTable::Header& header) const {
    if (header.type == kASCIIString) {
      auto content = span(header, 1);
      if (!content) return Refusal("a text lies outside the file");
      for (unsigned char c : *content)
        if (c >= 0x80) return Refusal("an ASCII text holds a byte above 127");
      return std::string(*content);
    }
    auto content = span(header, 2);
    if (!content) return Refusal("a text lies outside the file");
    if (header.length > INT32_MAX / 3) return Refusal("a text is too long");
    std::u16string units(header.length, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
      units[i] = static_cast<char16_t>((static_cast<unsigned char>((*content)[2 * i]) << 8) |
                                       static_cast<unsigned char>((*content)[2 * i + 1]));
    // Three UTF-8 bytes at most per UTF-16 unit.
    std::string text(units.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(text.data(), static_cast<int32_t>(text.size()), &length, reinterpret_cast<const UChar*>(units.data()),
                static_cast<int32_t>(units.size()), &status);
    if (U_FAILURE(status)) return Refusal("a text is not valid UTF-16");
    text.resize(static_cast<std::size_t>(length));
    return text;
  }

  std::expected<PropertyValue, std::string> array(std::uint64_t index) {
    const auto references = table_.references(index);
    PropertyValue::Array items;
    for (std::uint64_t reference : *references) {
      auto item = object(reference);
      if (!item) return item;
      items.push_back(std::move(*item));
    }
    return PropertyValue(std::move(items));
  }

  std::expected<PropertyValue, std::string> dictionary(std::uint64_t index, std::uint64_t count) {
    const auto references = *table_.references(index);
    PropertyValue::Dictionary entries;
    for (std::uint64_t i = 0; i < count; ++i) {
      auto keyHeader = table_.headerOf(references[i]);
      if (!keyHeader || (keyHeader->type != kASCIIString && keyHeader->type != kUTF16String))
        return Refusal("a dictionary key is not a text");
      auto key = string(*keyHeader);
      if (!key) return Refusal(key.error());
      auto value = object(references[count + i]);
      if (!value) return value;
      entries.insert_or_assign(std::move(*key), std::move(*value));
    }
    return PropertyValue(std::move(entries));
  }

  const ObjectTable& table_;
  std::string_view bytes_;
};

}  // namespace

std::expected<PropertyValue, std::string> read(std::string_view bytes, std::size_t maxNodes, std::size_t maxDepth) {
  if (!binaryPropertyListFits(bytes, maxNodes, maxDepth))
    return Refusal("it nests too deeply, holds too many values or is damaged");
  const auto table = ObjectTable::read(bytes);
  return Reader(*table).object(table->root());
}

}  // namespace platform::plist::binary
