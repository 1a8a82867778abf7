#pragma once

#include <expected>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foundation/Error.hpp"
#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

// Any JSON value: the arguments of a function call, the payload of a
// function response. An object's key order is not kept.
class JSONValue {
 public:
  using Object = std::map<std::string, JSONValue>;
  using Array = std::vector<JSONValue>;

  // null
  JSONValue() = default;
  static JSONValue number(double value);
  static JSONValue string(std::string value);
  static JSONValue boolean(bool value);
  static JSONValue object(Object value);
  static JSONValue array(Array value);
  static JSONValue null() { return {}; }

  // Any JSON text, a bare number or string included.
  static std::expected<JSONValue, platform::ErrorPtr> decode(std::string_view json);

  // The payload of that case, or null for another case.
  const double* asNumber() const { return std::get_if<double>(&value_); }
  const std::string* asString() const { return std::get_if<std::string>(&value_); }
  const bool* asBool() const { return std::get_if<bool>(&value_); }
  const Object* asObject() const { return std::get_if<Object>(&value_); }
  const Array* asArray() const { return std::get_if<Array>(&value_); }
  bool isNull() const { return std::holds_alternative<std::monostate>(value_); }

  // The same case with equal payloads: numbers as floating point (NaN equals
  // nothing), strings by canonical equivalence, objects member by member.
  bool operator==(const JSONValue& other) const;

 private:
  std::variant<std::monostate, double, std::string, bool, Object, Array> value_;
};

void writeJSON(platform::json::Writer& writer, const JSONValue& value);

}  // namespace firebase::vertexai
