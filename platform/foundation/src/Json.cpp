#include "foundation/Json.hpp"

#include <algorithm>
#include <string>

#include "foundation/Text.hpp"

namespace platform::json {
namespace {

// Deeper documents are refused: nothing we exchange nests this deep, and
// printing one recursively could exhaust the stack.
constexpr int kMaxDepth = 512;

ErrorPtr readError(const std::string& detail) {
  return makeError(kErrorDomain, kReadCorruptCode,
                   "The data couldn\u2019t be read because it isn\u2019t in the correct format.",
                   {{"NSDebugDescription", detail}});
}

bool nestsTooDeep(std::string_view bytes) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

std::expected<Value, ErrorPtr> parseDocument(std::string_view bytes, bool allowFragments) {
  if (bytes.empty()) return std::unexpected(readError("Unable to parse empty data."));
  if (nestsTooDeep(bytes)) return std::unexpected(readError("Too many nested arrays or dictionaries."));
  // The parser takes a NUL for the end of the text and would accept whatever
  // follows it; a NUL is no white space, so it is refused as any garbage.
  if (auto nul = bytes.find('\0'); nul != std::string_view::npos)
    return std::unexpected(readError("Unexpected NUL byte at offset " + std::to_string(nul) + "."));
  Value value;
  try {
    value = Value::parse(bytes.begin(), bytes.end());
  } catch (const nlohmann::json::exception& e) {
    return std::unexpected(readError(e.what()));
  }
  if (!allowFragments && !value.is_object() && !value.is_array())
    return std::unexpected(readError("JSON text did not start with array or object and option to allow fragments not set."));
  return value;
}

std::expected<std::string, ErrorPtr> dumpDocument(const Value& value, int indent) {
  try {
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::strict);
  } catch (const nlohmann::json::exception& e) {
    return std::unexpected(makeError(kErrorDomain, kWriteInvalidCode,
                                     "The data couldn\u2019t be written because it isn\u2019t in the correct format.",
                                     {{"NSDebugDescription", e.what()}}));
  }
}

}  // namespace

std::expected<Value, ErrorPtr> parse(std::string_view bytes) { return parseDocument(bytes, false); }

std::expected<Value, ErrorPtr> parseAllowingFragments(std::string_view bytes) { return parseDocument(bytes, true); }

std::expected<std::string, ErrorPtr> serialize(const Value& value) { return dumpDocument(value, -1); }

std::expected<std::string, ErrorPtr> serializePretty(const Value& value) { return dumpDocument(value, 2); }

const Value* member(const Value& object, std::string_view key) {
  if (!object.is_object()) return nullptr;
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::optional<std::string> stringMember(const Value& object, std::string_view key) {
  const Value* m = member(object, key);
  if (!m || !m->is_string()) return std::nullopt;
  return m->get<std::string>();
}

std::optional<bool> boolMember(const Value& object, std::string_view key) {
  const Value* m = member(object, key);
  if (!m || !m->is_boolean()) return std::nullopt;
  return m->get<bool>();
}

std::optional<std::int64_t> integerMember(const Value& object, std::string_view key) {
  const Value* m = member(object, key);
  if (!m) return std::nullopt;
  if (m->is_number_unsigned()) {
    auto u = m->get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(u);
  }
  if (m->is_number_integer()) return m->get<std::int64_t>();
  return std::nullopt;
}

const Value* objectMember(const Value& object, std::string_view key) {
  const Value* m = member(object, key);
  return m && m->is_object() ? m : nullptr;
}

const Value* arrayOfObjectsMember(const Value& object, std::string_view key) {
  const Value* m = member(object, key);
  if (!m || !m->is_array()) return nullptr;
  bool allObjects = std::all_of(m->begin(), m->end(), [](const Value& e) { return e.is_object(); });
  return allObjects ? m : nullptr;
}

std::string sortedKeysDescription(const Value& object) {
  std::vector<std::string> keys;
  if (object.is_object())
    for (const auto& item : object.items()) keys.push_back(item.key());
  std::sort(keys.begin(), keys.end());
  return text::quotedListDescription(keys);
}

}  // namespace platform::json
