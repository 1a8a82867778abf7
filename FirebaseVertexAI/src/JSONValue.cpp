#include "FirebaseVertexAI/JSONValue.hpp"

#include "Decoding.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "foundation/Text.hpp"

namespace firebase::vertexai {

JSONValue JSONValue::number(double value) {
  JSONValue json;
  json.value_ = value;
  return json;
}

JSONValue JSONValue::string(std::string value) {
  JSONValue json;
  json.value_ = std::move(value);
  return json;
}

JSONValue JSONValue::boolean(bool value) {
  JSONValue json;
  json.value_ = value;
  return json;
}

JSONValue JSONValue::object(Object value) {
  JSONValue json;
  json.value_ = std::move(value);
  return json;
}

JSONValue JSONValue::array(Array value) {
  JSONValue json;
  json.value_ = std::move(value);
  return json;
}

std::expected<JSONValue, platform::ErrorPtr> JSONValue::decode(std::string_view json) {
  return platform::json::decodeDocument(json, wire::readJSONValue);
}

bool JSONValue::operator==(const JSONValue& other) const {
  if (value_.index() != other.value_.index()) return false;
  if (const auto* text = asString()) return platform::text::canonicallyEquivalent(*text, *other.asString());
  return value_ == other.value_;
}

void writeJSON(platform::json::Writer& writer, const JSONValue& value) {
  // A value nested too deep has failed the writer: stop going down.
  if (writer.failed()) return;
  if (const auto* number = value.asNumber()) {
    writer.number(*number);
  } else if (const auto* text = value.asString()) {
    writer.string(*text);
  } else if (const auto* flag = value.asBool()) {
    writer.boolean(*flag);
  } else if (const auto* object = value.asObject()) {
    writeJSON(writer, *object);
  } else if (const auto* array = value.asArray()) {
    writeJSON(writer, *array);
  } else {
    writer.null();
  }
}

namespace wire {

JSONValue readJSONValue(Decoder& decoder) {
  const auto& value = decoder.value();
  if (value.is_null()) return JSONValue::null();
  if (value.is_number()) return JSONValue::number(decoder.float64());
  if (value.is_string()) return JSONValue::string(decoder.string());
  if (value.is_boolean()) return JSONValue::boolean(decoder.boolean());
  if (value.is_object()) return JSONValue::object(readJSONObject(decoder));
  if (value.is_array()) return JSONValue::array(decoder.array(readJSONValue));
  decoder.failDataCorrupted("Failed to decode JSON value.");
}

JSONValue::Object readJSONObject(Decoder& decoder) { return decoder.dictionary(readJSONValue); }

}  // namespace wire

}  // namespace firebase::vertexai
