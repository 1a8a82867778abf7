#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/Error.hpp"

namespace platform::json {

using Value = nlohmann::json;

// Error domain and code of JSON reading and writing failures.
inline constexpr const char* kErrorDomain = "NSCocoaErrorDomain";
inline constexpr long kReadCorruptCode = 3840;
inline constexpr long kWriteInvalidCode = 3851;

// Reads a JSON document the strict way: valid UTF-8 only, the top level must be
// an object or an array (no bare scalars), nothing but white space after it.
std::expected<Value, ErrorPtr> parse(std::string_view bytes);

// Like parse, but a bare scalar at the top level is accepted.
std::expected<Value, ErrorPtr> parseAllowingFragments(std::string_view bytes);

// Compact encoding, by the project's one JSON writer (JsonWriter.hpp); fails
// (never throws) when a string is not valid UTF-8 or a number not finite.
std::expected<std::string, ErrorPtr> serialize(const Value& value);

// Indented encoding for files people read (two spaces a level, as
// nlohmann's dump(2) writes it); fails like serialize.
std::expected<std::string, ErrorPtr> serializePretty(const Value& value);

// Typed member access without conversions: a member of another JSON type is
// treated as absent (no bool-to-int or float-to-int surprises).
const Value* member(const Value& object, std::string_view key);
std::optional<std::string> stringMember(const Value& object, std::string_view key);
std::optional<bool> boolMember(const Value& object, std::string_view key);
// Integers only: a JSON number written with a fraction or exponent is absent.
std::optional<std::int64_t> integerMember(const Value& object, std::string_view key);
const Value* objectMember(const Value& object, std::string_view key);
// An array whose elements are all objects, or null.
const Value* arrayOfObjectsMember(const Value& object, std::string_view key);

// The object's keys sorted ascending, printed as ["a", "b"].
std::string sortedKeysDescription(const Value& object);

}  // namespace platform::json
