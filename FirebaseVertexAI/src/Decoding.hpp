#pragma once

// The readers of the wire model's response side, shared between its files.
// Each reads one value of a parsed document and throws
// platform::json::DecodingFailure when it cannot; the public decode
// functions run them inside platform::json::decodeDocument.
//
// The service leaves out of its replies every field that holds its default
// (a zero count, an empty text or list, an unspecified enumeration value), so
// a missing or null field reads as that default; a value of the wrong type
// still fails.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/JSONValue.hpp"
#include "FirebaseVertexAI/ModelContent.hpp"
#include "FirebaseVertexAI/ProtoEnum.hpp"
#include "FirebaseVertexAI/Safety.hpp"
#include "FirebaseVertexAI/TokenCounts.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/DateComponents.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai::wire {

using platform::json::Decoder;

JSONValue readJSONValue(Decoder& decoder);
JSONValue::Object readJSONObject(Decoder& decoder);
ModelContent readModelContent(Decoder& decoder);
SafetyRating readSafetyRating(Decoder& decoder);
ModalityTokenCount readModalityTokenCount(Decoder& decoder);
// The counts under the key; none when it is missing or null.
std::vector<ModalityTokenCount> readTokenCounts(const Decoder& decoder, std::string_view key);
// The integer under the key; 0 when it is missing or null.
std::int64_t readCount(const Decoder& decoder, std::string_view key);
// The string under the key; empty when it is missing or null.
std::string readText(const Decoder& decoder, std::string_view key);
// A date of the service ("year", "month", "day", 0 for a part not given);
// out-of-range parts are kept and warned about.
platform::DateComponents readProtoDate(Decoder& decoder);

// Logs an error that a response held a value of a proto enumeration that
// the client does not know, with the type's message code.
void logUnrecognizedValue(std::string_view typeName, std::string_view value, VertexLogMessageCode code);

// A string of the enumeration; an unknown one is kept and logged.
template <ProtoEnumeration E>
E readProtoEnum(Decoder& decoder) {
  E value(decoder.string());
  if (!value.isKnown()) logUnrecognizedValue(E::kTypeName, value.rawValue(), E::kUnrecognizedCode);
  return value;
}

// The enumeration under the key; its unspecified value, unlogged, when the
// key is missing or null: the service leaves out a value it did not specify.
template <ProtoEnumeration E>
E readProtoEnumOrUnspecified(const Decoder& decoder, std::string_view key) {
  auto value = decoder.ifPresent(key);
  return value ? readProtoEnum<E>(*value) : E(std::string(E::kUnspecifiedRawValue));
}

}  // namespace firebase::vertexai::wire
