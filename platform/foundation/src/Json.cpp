#include "foundation/Json.hpp"

#include <algorithm>
#include <string>

#include "foundation/JsonWriter.hpp"
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

// Where the string whose opening quote is at `quote` ends (at its closing
// quote; the end of the text when it has none). Strings make up most of a
// reply: they are crossed by searches for the next quote and backslash.
std::size_t stringEnd(std::string_view bytes, std::size_t quote) {
  std::size_t close = quote;
  for (std::size_t from = quote + 1; from < bytes.size();) {
    // A quote found before stays the first one after each later start up to it.
    if (close < from) close = std::min(bytes.find('"', from), bytes.size());
    const std::size_t escape = bytes.substr(0, close).find('\\', from);
    if (escape == std::string_view::npos) return close;
    from = escape + 2;  // past the escaped character, which may be a quote
  }
  return bytes.size();
}

bool nestsTooDeep(std::string_view bytes) {
  int depth = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '"') {
      i = stringEnd(bytes, i);
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

void writeValue(Writer& writer, const Value& value) {
  if (writer.failed()) return;  // nor any deeper: a tree nested too deep has made it fail
  switch (value.type()) {
    case Value::value_t::object:
      writer.beginObject();
      for (const auto& [key, member] : value.items()) {
        writer.key(key);
        writeValue(writer, member);
      }
      writer.endObject();
      return;
    case Value::value_t::array:
      writer.beginArray();
      for (const auto& element : value) writeValue(writer, element);
      writer.endArray();
      return;
    case Value::value_t::string: return writer.string(value.get_ref<const std::string&>());
    case Value::value_t::boolean: return writer.boolean(value.get<bool>());
    case Value::value_t::number_integer: return writer.integer(value.get<std::int64_t>());
    case Value::value_t::number_unsigned: return writer.integer(value.get<std::uint64_t>());
    case Value::value_t::number_float: return writer.number(value.get<double>());
    case Value::value_t::null: return writer.null();
    case Value::value_t::binary:
    case Value::value_t::discarded: return writer.fail("the value has no JSON form");
  }
}

std::expected<std::string, ErrorPtr> writeDocument(const Value& value, Writer::Layout layout) {
  Writer writer(layout, kWriteInvalidCode);
  writeValue(writer, value);
  return std::move(writer).finish();
}

}  // namespace

std::expected<Value, ErrorPtr> parse(std::string_view bytes) { return parseDocument(bytes, false); }

std::expected<Value, ErrorPtr> parseAllowingFragments(std::string_view bytes) { return parseDocument(bytes, true); }

std::expected<std::string, ErrorPtr> serialize(const Value& value) { return writeDocument(value, Writer::Layout::compact); }

std::expected<std::string, ErrorPtr> serializePretty(const Value& value) { return writeDocument(value, Writer::Layout::indented); }

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
