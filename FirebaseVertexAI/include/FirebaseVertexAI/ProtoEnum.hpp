#pragma once

#include <algorithm>
#include <concepts>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

// An enumeration of the service's wire protocol, whose set of values grows
// over time: a value is its wire string, and a string the client does not
// know is kept (and, when decoded, logged) instead of failing a response.
//
// A member derives from ProtoEnum<Member> and supplies
//   enum class Kind { ... };                          the values it knows
//   static constexpr std::array<std::string_view, N> kRawValues;  their wire
//                                                     strings, in Kind order
// and, when responses carry it, the name and message code under which an
// unknown value is logged, and the value the service means by leaving it out
// (the enumeration's zero value, none of the known ones):
//   static constexpr std::string_view kTypeName;
//   static constexpr VertexLogMessageCode kUnrecognizedCode;
//   static constexpr std::string_view kUnspecifiedRawValue;
// Each known value is offered as a static constant too (FinishReason::stop).
template <typename Derived>
class ProtoEnum {
 public:
  // Any wire string, known or not.
  explicit ProtoEnum(std::string rawValue) : rawValue_(std::move(rawValue)) {}
  template <typename Kind>
    requires std::is_enum_v<Kind>
  explicit ProtoEnum(Kind kind) : rawValue_(Derived::kRawValues[static_cast<std::size_t>(kind)]) {}

  const std::string& rawValue() const { return rawValue_; }
  // Whether the string is one the client knows (exact, case-sensitive).
  bool isKnown() const {
    return std::ranges::find(Derived::kRawValues, std::string_view(rawValue_)) != Derived::kRawValues.end();
  }

  bool operator==(const ProtoEnum&) const = default;

 private:
  std::string rawValue_;
};

template <typename T>
concept ProtoEnumeration = std::derived_from<T, ProtoEnum<T>>;

// On the wire a value is its string, known or not.
template <ProtoEnumeration T>
void writeJSON(platform::json::Writer& writer, const T& value) {
  writer.string(value.rawValue());
}

}  // namespace firebase::vertexai

template <firebase::vertexai::ProtoEnumeration T>
struct std::hash<T> {
  std::size_t operator()(const T& value) const noexcept { return std::hash<std::string>()(value.rawValue()); }
};
