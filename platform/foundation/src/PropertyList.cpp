#include "foundation/PropertyList.hpp"

#include <cctype>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include <plist/plist.h>

#include "BinaryPropertyListShape.hpp"
#include "foundation/Text.hpp"

namespace platform::plist {
namespace {

using PlistPtr = std::unique_ptr<void, decltype(&plist_free)>;

// libplist nests arrays and dictionaries recursively; a hostile file must not
// exhaust the stack, nor memory by referring to one object many times.
constexpr int kMaxDepth = 256;
constexpr std::size_t kMaxNodes = 1'000'000;

ErrorPtr formatError(const std::string& reason) {
  return makeError(kErrorDomain, 3840, "The data couldn\u2019t be read because it isn\u2019t in the correct format.",
                   {{"NSDebugDescription", reason}});
}

std::optional<PropertyValue> fromNode(plist_t node, int depth) {
  if (depth > kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
      // By pointer and length: libplist asserts (and so ends the process) when
      // asked for a copy of a string that holds a NUL character.
      // A file written by hand, or by a tool fed other bytes, may hold texts
      // that are not UTF-8; every reader then sees the same repaired text
      // (U+FFFD for the bad bytes), which can be shown, sent and exported.
      uint64_t length = 0;
      const char* s = plist_get_string_ptr(node, &length);
      return PropertyValue(s ? text::repairUTF8(std::string_view(s, length)) : std::string());
    }
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return PropertyValue(b != 0);
    }
    case PLIST_UINT: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      // libplist keeps negative integers in two's complement.
      return PropertyValue(static_cast<std::int64_t>(u));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return PropertyValue(d);
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PropertyValue(PropertyValue::Date{sec + usec / 1e6});
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      PropertyValue::Data data(bytes, bytes + length);
      free(bytes);
      return PropertyValue(std::move(data));
    }
    case PLIST_ARRAY: {
      PropertyValue::Array array;
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; i < n; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return PropertyValue(std::move(array));
    }
    case PLIST_DICT: {
      PropertyValue::Dictionary dict;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!value) {
          free(key);
          break;
        }
        auto item = fromNode(value, depth + 1);
        std::string k = key ? text::repairUTF8(key) : "";
        free(key);
        if (!item) {
          free(it);
          return std::nullopt;
        }
        dict.emplace(std::move(k), std::move(*item));
      }
      free(it);
      return PropertyValue(std::move(dict));
    }
    default:
      return std::nullopt;  // keys and UIDs never stand alone in our files
  }
}

plist_t toNode(const PropertyValue& v) {
  if (auto s = v.asString()) return plist_new_string(s->c_str());
  if (auto i = v.asInteger()) return plist_new_uint(static_cast<uint64_t>(*i));
  if (auto r = v.asReal()) return plist_new_real(*r);
  if (auto b = v.asBool()) return plist_new_bool(*b ? 1 : 0);
  if (auto d = v.asDate()) {
    double whole = std::floor(d->secondsSinceReferenceDate);
    return plist_new_date(static_cast<int32_t>(whole),
                          static_cast<int32_t>(std::lround((d->secondsSinceReferenceDate - whole) * 1e6)));
  }
  if (auto data = v.asData())
    return plist_new_data(reinterpret_cast<const char*>(data->data()), data->size());
  if (auto a = v.asArray()) {
    plist_t node = plist_new_array();
    for (const auto& item : *a) plist_array_append_item(node, toNode(item));
    return node;
  }
  plist_t node = plist_new_dict();
  for (const auto& [key, value] : *v.asDictionary()) plist_dict_set_item(node, key.c_str(), toNode(value));
  return node;
}

// Counts open <array> and <dict> elements however their tags are spelt
// ("<dict >", "<array\n>"); empty ones ("<array/>") open nothing.
bool nestsTooDeepXML(std::string_view bytes) {
  auto isNameCharacter = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'; };
  int depth = 0;
  for (std::size_t i = bytes.find('<'); i != std::string_view::npos; i = bytes.find('<', i + 1)) {
    std::size_t nameStart = i + 1;
    const bool closing = nameStart < bytes.size() && bytes[nameStart] == '/';
    if (closing) ++nameStart;
    std::size_t nameEnd = nameStart;
    while (nameEnd < bytes.size() && isNameCharacter(bytes[nameEnd])) ++nameEnd;
    const std::string_view name = bytes.substr(nameStart, nameEnd - nameStart);
    if (name != "array" && name != "dict") continue;
    if (closing) {
      --depth;
      continue;
    }
    const std::size_t tagEnd = bytes.find('>', nameEnd);
    if (tagEnd == std::string_view::npos) break;
    if (bytes[tagEnd - 1] != '/' && ++depth > kMaxDepth) return true;
  }
  return false;
}

}  // namespace

std::expected<PropertyValue, ErrorPtr> parse(std::string_view bytes) {
  if (bytes.empty()) return std::unexpected(formatError("Empty property list."));
  if (bytes.size() > UINT32_MAX) return std::unexpected(formatError("Property list too large."));
  bool binary = plist_is_binary(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (!binary && nestsTooDeepXML(bytes)) return std::unexpected(formatError("Property list nests too deeply."));
  if (binary && !binaryPropertyListFits(bytes, kMaxNodes, kMaxDepth))
    return std::unexpected(formatError("Property list nests too deeply, holds too many values or is damaged."));
  plist_t raw = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
  if (!raw) return std::unexpected(formatError("Not a property list."));
  PlistPtr root(raw, &plist_free);
  auto value = fromNode(raw, 0);
  if (!value) return std::unexpected(formatError("Property list holds unsupported or too deeply nested values."));
  return std::move(*value);
}

std::expected<PropertyValue, ErrorPtr> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::unexpected(makeError(kErrorDomain, 260, "The file \u201C" + path.filename().string() +
                                                            "\u201D couldn\u2019t be opened.",
                                     {{"NSFilePath", path.string()}}));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return parse(buffer.str());
}

std::string toXML(const PropertyValue& value) {
  PlistPtr root(toNode(value), &plist_free);
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root.get(), &xml, &length);
  std::string out(xml, length);
  plist_to_xml_free(xml);
  return out;
}

std::string toBinary(const PropertyValue& value) {
  PlistPtr root(toNode(value), &plist_free);
  char* bin = nullptr;
  uint32_t length = 0;
  plist_to_bin(root.get(), &bin, &length);
  std::string out(bin, length);
  plist_to_bin_free(bin);
  return out;
}

}  // namespace platform::plist
