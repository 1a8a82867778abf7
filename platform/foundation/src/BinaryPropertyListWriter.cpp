#include <algorithm>
#include <bit>

#include <unicode/ustring.h>

#include "BinaryPropertyList.hpp"
#include "BinaryPropertyListObjects.hpp"

namespace platform::plist::binary {
namespace {

// How many bytes (1, 2, 4 or 8) an unsigned number needs.
unsigned widthFor(std::uint64_t value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFF) return 4;
  return 8;
}

unsigned exponentOf(unsigned width) { return static_cast<unsigned>(std::countr_zero(width)); }

void appendBigEndian(std::string& out, std::uint64_t value, unsigned width) {
  for (int shift = static_cast<int>(width - 1) * 8; shift >= 0; shift -= 8)
    out += static_cast<char>((value >> shift) & 0xFF);
}

// Objects are written children first, so that a container knows the indices
// it refers to; references are as wide as the object count needs, which a
// first pass counts.
class Writer {
 public:
  explicit Writer(const PropertyValue& root) : referenceSize_(widthFor(objectCount(root))) {}

  std::expected<std::string, std::string> file(const PropertyValue& root) {
    auto top = object(root);
    if (!top) return std::unexpected(top.error());
    std::string out(kMagic);
    const std::uint64_t objectsStart = out.size();
    out += objects_;
    const std::uint64_t tableOffset = out.size();
    const unsigned offsetSize = widthFor(tableOffset);
    for (std::uint64_t offset : offsets_) appendBigEndian(out, objectsStart + offset, offsetSize);
    out += std::string(6, '\0');  // unused, then the sort version
    out += static_cast<char>(offsetSize);
    out += static_cast<char>(referenceSize_);
    appendBigEndian(out, offsets_.size(), 8);
    appendBigEndian(out, *top, 8);
    appendBigEndian(out, tableOffset, 8);
    return out;
  }

 private:
  static std::uint64_t objectCount(const PropertyValue& value) {
    std::uint64_t count = 1;
    if (const auto* items = value.asArray())
      for (const auto& item : *items) count += objectCount(item);
    if (const auto* entries = value.asDictionary())
      for (const auto& [key, item] : *entries) count += 1 + objectCount(item);
    return count;
  }

  // Starts a new object and answers its index.
  std::uint64_t begin() {
    offsets_.push_back(objects_.size());
    return offsets_.size() - 1;
  }

  void marker(unsigned type, std::uint64_t length) {
    if (length < 0x0F) {
      objects_ += static_cast<char>((type << 4) | length);
      return;
    }
    objects_ += static_cast<char>((type << 4) | 0x0F);
    const unsigned width = widthFor(length);
    objects_ += static_cast<char>((kInteger << 4) | exponentOf(width));
    appendBigEndian(objects_, length, width);
  }

  std::expected<std::uint64_t, std::string> object(const PropertyValue& value) {
    if (const auto* text = value.asString()) return string(*text);
    if (const auto* items = value.asArray()) return array(*items);
    if (const auto* entries = value.asDictionary()) return dictionary(*entries);
    const std::uint64_t index = begin();
    if (const auto* integer = value.asInteger()) {
      // Non-negative values in as few bytes as they need (narrow integers
      // are unsigned), negative ones in eight.
      const unsigned width = *integer < 0 ? 8 : widthFor(static_cast<std::uint64_t>(*integer));
      objects_ += static_cast<char>((kInteger << 4) | exponentOf(width));
      appendBigEndian(objects_, static_cast<std::uint64_t>(*integer), width);
    } else if (const auto* big = value.asUnsignedInteger()) {
      // Beyond the signed range: sixteen bytes, the upper eight zero.
      objects_ += static_cast<char>((kInteger << 4) | 4);
      appendBigEndian(objects_, 0, 8);
      appendBigEndian(objects_, *big, 8);
    } else if (const auto* real = value.asReal()) {
      objects_ += static_cast<char>((kReal << 4) | 3);
      appendBigEndian(objects_, std::bit_cast<std::uint64_t>(*real), 8);
    } else if (const auto* flag = value.asBool()) {
      objects_ += static_cast<char>(*flag ? 0x09 : 0x08);
    } else if (const auto* date = value.asDate()) {
      objects_ += static_cast<char>((kDate << 4) | 3);
      appendBigEndian(objects_, std::bit_cast<std::uint64_t>(date->secondsSinceReferenceDate), 8);
    } else if (const auto* data = value.asData()) {
      marker(kData, data->size());
      objects_.append(reinterpret_cast<const char*>(data->data()), data->size());
    }
    return index;
  }

  std::expected<std::uint64_t, std::string> string(const std::string& text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      const std::uint64_t index = begin();
      marker(kASCIIString, text.size());
      objects_ += text;
      return index;
    }
    if (text.size() > INT32_MAX) return std::unexpected(std::string("a text is too long"));
    std::u16string units(text.size(), u'\0');  // never more units than bytes
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(reinterpret_cast<UChar*>(units.data()), static_cast<int32_t>(units.size()), &length, text.data(),
                  static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) return std::unexpected(std::string("a text is not valid UTF-8"));
    const std::uint64_t index = begin();
    marker(kUTF16String, static_cast<std::uint64_t>(length));
    for (int32_t i = 0; i < length; ++i) appendBigEndian(objects_, units[static_cast<std::size_t>(i)], 2);
    return index;
  }

  std::expected<std::uint64_t, std::string> array(const PropertyValue::Array& items) {
    std::vector<std::uint64_t> references;
    for (const auto& item : items) {
      auto reference = object(item);
      if (!reference) return reference;
      references.push_back(*reference);
    }
    return container(kArray, items.size(), references);
  }

  std::expected<std::uint64_t, std::string> dictionary(const PropertyValue::Dictionary& entries) {
    std::vector<std::uint64_t> keys, values;
    for (const auto& [key, value] : entries) {
      auto keyReference = string(key);
      if (!keyReference) return keyReference;
      auto valueReference = object(value);
      if (!valueReference) return valueReference;
      keys.push_back(*keyReference);
      values.push_back(*valueReference);
    }
    keys.insert(keys.end(), values.begin(), values.end());
    return container(kDictionary, entries.size(), keys);
  }

  std::uint64_t container(unsigned type, std::uint64_t length, const std::vector<std::uint64_t>& references) {
    const std::uint64_t index = begin();
    marker(type, length);
    for (std::uint64_t reference : references) appendBigEndian(objects_, reference, referenceSize_);
    return index;
  }

  unsigned referenceSize_;
  std::string objects_;  // encoded objects, in index order
  std::vector<std::uint64_t> offsets_;  // of each object within objects_
};

}  // namespace

std::expected<std::string, std::string> write(const PropertyValue& value) { return Writer(value).file(value); }

}  // namespace platform::plist::binary
