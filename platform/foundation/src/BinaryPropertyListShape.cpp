#include "BinaryPropertyListShape.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::plist {
namespace {

constexpr std::size_t kHeaderLength = 8;    // "bplist00"
constexpr std::size_t kTrailerLength = 32;  // sizes, object count, root, table offset

std::optional<std::uint64_t> bigEndian(std::string_view bytes, std::uint64_t offset, std::uint64_t width) {
  if (width == 0 || width > 8 || offset > bytes.size() || bytes.size() - offset < width) return std::nullopt;
  std::uint64_t value = 0;
  for (std::uint64_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

// The object table of a binary property list: for every object, the objects
// it refers to (array elements, or dictionary keys and values).
class ObjectTable {
 public:
  static std::optional<ObjectTable> read(std::string_view bytes) {
    if (bytes.size() < kHeaderLength + kTrailerLength) return std::nullopt;
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

  std::uint64_t count() const { return count_; }
  std::uint64_t root() const { return root_; }

  // Absent when the object or one of its references lies outside the file,
  // or when a dictionary key holds a NUL character (libplist ends the process
  // when asked for such a key).
  std::optional<std::vector<std::uint64_t>> references(std::uint64_t object) const {
    const auto header = headerOf(object);
    if (!header) return std::nullopt;
    // Arrays (0xA), the two kinds of sets (0xB, 0xC) and dictionaries (0xD)
    // refer to other objects; everything else is a leaf.
    if (header->type < 0xA || header->type > 0xD) return std::vector<std::uint64_t>{};
    const std::uint64_t perEntry = header->type == 0xD ? 2 : 1;
    if (header->length > (bytes_.size() - header->body) / referenceSize_ / perEntry) return std::nullopt;
    std::vector<std::uint64_t> references;
    references.reserve(header->length * perEntry);
    for (std::uint64_t i = 0; i < header->length * perEntry; ++i) {
      const auto reference = bigEndian(bytes_, header->body + i * referenceSize_, referenceSize_);
      if (!reference || *reference >= count_) return std::nullopt;
      if (header->type == 0xD && i < header->length && !isKeyWithoutNUL(*reference)) return std::nullopt;
      references.push_back(*reference);
    }
    return references;
  }

 private:
  struct Header {
    unsigned type;         // the marker's high four bits
    std::uint64_t length;  // elements, bytes or UTF-16 units, as the type says
    std::uint64_t body;    // where the content starts
  };

  std::optional<Header> headerOf(std::uint64_t object) const {
    const auto offset = bigEndian(bytes_, tableOffset_ + object * offsetSize_, offsetSize_);
    if (!offset || *offset >= bytes_.size()) return std::nullopt;
    const auto marker = static_cast<unsigned char>(bytes_[*offset]);
    Header header{static_cast<unsigned>(marker >> 4), marker & 0x0Fu, *offset + 1};
    // Only containers, data and texts carry a length; a nibble of 0xF there
    // means an integer object with the length follows.
    const bool sized = header.type >= 0x4 && header.type != 0x8;
    if (sized && header.length == 0x0F) {
      const auto lengthMarker = bigEndian(bytes_, header.body, 1);
      if (!lengthMarker || (*lengthMarker >> 4) != 0x1 || (*lengthMarker & 0x0F) > 3) return std::nullopt;
      const std::uint64_t width = std::uint64_t{1} << (*lengthMarker & 0x0F);
      const auto extended = bigEndian(bytes_, header.body + 1, width);
      if (!extended) return std::nullopt;
      header.length = *extended;
      header.body += 1 + width;
    }
    if (header.body > bytes_.size()) return std::nullopt;
    return header;
  }

  // ASCII (0x5) and UTF-16 (0x6) keys without a zero byte or unit.
  bool isKeyWithoutNUL(std::uint64_t object) const {
    const auto header = headerOf(object);
    if (!header || (header->type != 0x5 && header->type != 0x6)) return true;  // libplist judges the rest
    const std::uint64_t unit = header->type == 0x6 ? 2 : 1;
    if (header->length > (bytes_.size() - header->body) / unit) return true;  // libplist refuses it
    for (std::uint64_t i = 0; i < header->length; ++i) {
      bool zero = true;
      for (std::uint64_t k = 0; k < unit; ++k) zero = zero && bytes_[header->body + i * unit + k] == '\0';
      if (zero) return false;
    }
    return true;
  }

  std::string_view bytes_;
  std::uint64_t offsetSize_ = 0;
  std::uint64_t referenceSize_ = 0;
  std::uint64_t count_ = 0;
  std::uint64_t root_ = 0;
  std::uint64_t tableOffset_ = 0;
};

}  // namespace

bool binaryPropertyListFits(std::string_view bytes, std::size_t maxNodes, std::size_t maxDepth) {
  const auto table = ObjectTable::read(bytes);
  if (!table) return false;

  // A depth-first walk without recursion that works out, once per object,
  // how many nodes its expanded tree has and how deep it is. An object still
  // on the walk's path that is met again is a cycle.
  enum class State : std::uint8_t { unseen, onPath, done };
  std::vector<State> state(table->count(), State::unseen);
  std::vector<std::uint32_t> expandedNodes(table->count(), 0);
  std::vector<std::uint32_t> height(table->count(), 0);
  struct Step {
    std::uint64_t object;
    std::vector<std::uint64_t> references;
    std::size_t next = 0;
  };
  std::vector<Step> path;

  auto enter = [&](std::uint64_t object) {
    auto references = table->references(object);
    if (!references || path.size() >= maxDepth) return false;
    state[object] = State::onPath;
    path.push_back(Step{object, std::move(*references)});
    return true;
  };
  if (!enter(table->root())) return false;
  while (!path.empty()) {
    Step& step = path.back();
    if (step.next < step.references.size()) {
      const std::uint64_t reference = step.references[step.next++];
      if (state[reference] == State::onPath) return false;
      if (state[reference] == State::unseen && !enter(reference)) return false;
      continue;
    }
    std::uint64_t nodes = 1;
    std::uint32_t tallest = 0;
    for (std::uint64_t reference : step.references) {
      nodes += expandedNodes[reference];
      if (nodes > maxNodes) return false;
      tallest = std::max(tallest, height[reference]);
    }
    if (tallest + 1u > maxDepth) return false;
    expandedNodes[step.object] = static_cast<std::uint32_t>(nodes);
    height[step.object] = tallest + 1;
    state[step.object] = State::done;
    path.pop_back();
  }
  return true;
}

}  // namespace platform::plist
