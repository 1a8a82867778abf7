#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Error.hpp"
#include "foundation/JsonWriter.hpp"

// Every wire value of the client encodes itself with an overload
// writeJSON(Writer&, const T&) beside its type; these are the common pieces.
namespace firebase::vertexai {

inline void writeJSON(platform::json::Writer& writer, const std::string& value) { writer.string(value); }
inline void writeJSON(platform::json::Writer& writer, std::int64_t value) { writer.integer(value); }
inline void writeJSON(platform::json::Writer& writer, double value) { writer.number(value); }
inline void writeJSON(platform::json::Writer& writer, float value) { writer.number(value); }
inline void writeJSON(platform::json::Writer& writer, bool value) { writer.boolean(value); }

template <typename T>
void writeJSON(platform::json::Writer& writer, const std::vector<T>& list) {
  writer.beginArray();
  for (const auto& element : list) writeJSON(writer, element);
  writer.endArray();
}

template <typename T>
void writeJSON(platform::json::Writer& writer, const std::map<std::string, T>& object) {
  writer.beginObject();
  for (const auto& [key, value] : object) {
    writer.key(key);
    writeJSON(writer, value);
  }
  writer.endObject();
}

template <typename T>
void writeMember(platform::json::Writer& writer, std::string_view key, const T& value) {
  writer.key(key);
  writeJSON(writer, value);
}

// Absent values leave no key: null is never written.
template <typename T>
void writeMemberIfPresent(platform::json::Writer& writer, std::string_view key, const std::optional<T>& value) {
  if (value) writeMember(writer, key, *value);
}

// The JSON text of any value that has a writeJSON: requests and their parts.
// A value JSON cannot hold (a string that is not UTF-8, a number that is not
// finite, an error part) is an encoding error.
template <typename T>
std::expected<std::string, platform::ErrorPtr> encodeJSON(const T& value) {
  return platform::json::write([&](platform::json::Writer& writer) { writeJSON(writer, value); });
}

}  // namespace firebase::vertexai
