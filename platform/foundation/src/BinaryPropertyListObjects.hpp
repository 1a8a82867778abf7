#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The layout of a binary property list ("bplist00"): a header, the encoded
// objects, a table of their offsets and a trailer that says how wide offsets
// and references are, how many objects there are and which one is the root.
namespace platform::plist::binary {

inline constexpr std::string_view kMagic = "bplist00";
inline constexpr std::size_t kTrailerLength = 32;

// The high four bits of an object's marker byte.
enum Type : unsigned {
  kSingleton = 0x0,  // false 0x08, true 0x09
  kInteger = 0x1,
  kReal = 0x2,
  kDate = 0x3,
  kData = 0x4,
  kASCIIString = 0x5,
  kUTF16String = 0x6,
  kUID = 0x8,
  kArray = 0xA,
  kOrderedSet = 0xB,
  kSet = 0xC,
  kDictionary = 0xD,
};

// A big-endian unsigned number of `width` (1 to 8) bytes at `offset`, or
// nothing when it does not lie within the bytes.
std::optional<std::uint64_t> bigEndian(std::string_view bytes, std::uint64_t offset, std::uint64_t width);

// The object table of a file, read without trusting any of its numbers.
class ObjectTable {
 public:
  struct Header {
    unsigned type;         // the marker's high four bits
    unsigned info;         // its low four bits
    std::uint64_t length;  // elements, bytes or UTF-16 units, as the type says
    std::uint64_t body;    // where the content starts
  };

  // Nothing when the trailer is damaged or the offset table lies outside.
  static std::optional<ObjectTable> read(std::string_view bytes);

  std::uint64_t count() const { return count_; }
  std::uint64_t root() const { return root_; }
  std::string_view bytes() const { return bytes_; }
  std::uint64_t referenceSize() const { return referenceSize_; }

  // Nothing when the object's marker or length lies outside the file.
  std::optional<Header> headerOf(std::uint64_t object) const;
  // The objects it refers to: array and set elements, or a dictionary's keys
  // followed by its values; empty for every other type. Nothing when one of
  // them lies outside the file or the table.
  std::optional<std::vector<std::uint64_t>> references(std::uint64_t object) const;

 private:
  std::string_view bytes_;
  std::uint64_t offsetSize_ = 0;
  std::uint64_t referenceSize_ = 0;
  std::uint64_t count_ = 0;
  std::uint64_t root_ = 0;
  std::uint64_t tableOffset_ = 0;
};

}  // namespace platform::plist::binary
