#include "BinaryPropertyListObjects.hpp"

namespace platform::plist::binary {

std::optional<std::uint64_t> bigEndian(std::string_view bytes, std::uint64_t offset, std::uint64_t width) {
  if (width == 0 || width > 8 || offset > bytes.size() || bytes.size() - offset < width) return std::nullopt;
  std::uint64_t value = 0;
  for (std::uint64_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

std::optional<ObjectTable> ObjectTable::read(std::string_view bytes) {
  if (bytes.size() < kMagic.size() + kTrailerLength || !bytes.starts_with(kMagic)) return std::nullopt;
  const std::uint64_t trailer = bytes.size() - kTrailerLength;
  ObjectTable table;
  table.bytes_ = bytes;
  table.offsetSize_ = static_cast<unsigned char>(bytes[trailer + 6]);
  table.referenceSize_ = static_cast<unsigned char>(bytes[trailer + 7]);
  const auto count = bigEndian(bytes, trailer + 8, 8);
  const auto root = bigEndian(bytes, trailer + 16, 8);
  const auto tableOffset = bigEndian(bytes, trailer + 24, 8);
  if (!count || !root || !tableOffset || table.offsetSize_ == 0 || table.offsetSize_ > 8 ||
      table.referenceSize_ == 0 || table.referenceSize_ > 8 || *count == 0 || *root >= *count ||
      *tableOffset > trailer || (trailer - *tableOffset) / table.offsetSize_ < *count) {
    return std::nullopt;
  }
  table.count_ = *count;
  table.root_ = *root;
  table.tableOffset_ = *tableOffset;
  return table;
}

std::optional<ObjectTable::Header> ObjectTable::headerOf(std::uint64_t object) const {
  const auto offset = bigEndian(bytes_, tableOffset_ + object * offsetSize_, offsetSize_);
  if (!offset || *offset >= bytes_.size()) return std::nullopt;
  const auto marker = static_cast<unsigned char>(bytes_[*offset]);
  Header header{static_cast<unsigned>(marker >> 4), marker & 0x0Fu, marker & 0x0Fu, *offset + 1};
  // Only containers, data and texts carry a length; a nibble of 0xF there
  // means an integer object with the length follows.
  const bool sized = header.type >= kData && header.type != kUID;
  if (sized && header.length == 0x0F) {
    const auto lengthMarker = bigEndian(bytes_, header.body, 1);
    if (!lengthMarker || (*lengthMarker >> 4) != kInteger || (*lengthMarker & 0x0F) > 3) return std::nullopt;
    const std::uint64_t width = std::uint64_t{1} << (*lengthMarker & 0x0F);
    const auto extended = bigEndian(bytes_, header.body + 1, width);
    if (!extended) return std::nullopt;
    header.length = *extended;
    header.body += 1 + width;
  }
  if (header.body > bytes_.size()) return std::nullopt;
  return header;
}

std::optional<std::vector<std::uint64_t>> ObjectTable::references(std::uint64_t object) const {
  const auto header = headerOf(object);
  if (!header) return std::nullopt;
  if (header->type < kArray || header->type > kDictionary) return std::vector<std::uint64_t>{};
  const std::uint64_t perEntry = header->type == kDictionary ? 2 : 1;
  if (header->length > (bytes_.size() - header->body) / referenceSize_ / perEntry) return std::nullopt;
  std::vector<std::uint64_t> references;
  references.reserve(header->length * perEntry);
  for (std::uint64_t i = 0; i < header->length * perEntry; ++i) {
    const auto reference = bigEndian(bytes_, header->body + i * referenceSize_, referenceSize_);
    if (!reference || *reference >= count_) return std::nullopt;
    references.push_back(*reference);
  }
  return references;
}

}  // namespace platform::plist::binary
