#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "foundation/Error.hpp"
#include "foundation/Json.hpp"

// Typed decoding of a parsed JSON document into records, the way a platform
// JSON decoder does it: required and optional keys, exact types (no bool or
// string read as a number, no fraction read as an integer), and errors that
// say what went wrong where.
namespace platform::json {

inline constexpr long kDecodingCorruptCode = 4864;
inline constexpr long kDecodingValueNotFoundCode = 4865;

class DecodingError final : public Error {
 public:
  enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

  // The coding path lists keys, and "Index N" for elements of arrays.
  DecodingError(Kind kind, std::vector<std::string> codingPath, std::string description,
                ErrorPtr underlying = nullptr);

  Kind kind() const { return kind_; }
  const std::vector<std::string>& codingPath() const { return codingPath_; }
  // What was found wrong, such as "No value associated with key \"parts\"."
  const std::string& description() const { return description_; }
  const ErrorPtr& underlyingError() const { return underlying_; }

  std::string domain() const override { return kErrorDomain; }
  long code() const override;
  std::string localizedDescription() const override;
  // The kind, the description and the coding path, for logs.
  std::string debugDescription() const override;

 private:
  Kind kind_;
  std::vector<std::string> codingPath_;
  std::string description_;
  ErrorPtr underlying_;
};

// How a decoding failure travels up through nested decoders to
// decodeDocument, which turns it into an error result. It carries any error,
// so that a record may fail with an error type of its own.
struct DecodingFailure {
  ErrorPtr error;
};

// How the keys of records are matched. Some streams write keys in snake case
// ("finish_reason"); with acceptSnakeCase a record's key also matches a
// member whose name turns into it once converted to camel case. Members of
// free-form dictionaries keep their names either way.
enum class KeyDecoding { exact, acceptSnakeCase };

// "finish_reason" -> "finishReason"; leading and trailing "_" stay, a name
// without "_" stays as it is.
std::string convertFromSnakeCase(std::string_view key);

// One value of a parsed document being decoded, with its place in the
// document. Reading a string takes it out of the document (no copy), so each
// value is decoded once. Failures are thrown as DecodingFailure; use the
// decoders inside decodeDocument, which catches them.
class Decoder {
 public:
  explicit Decoder(Value& root, KeyDecoding keys = KeyDecoding::exact) : value_(&root), keys_(keys) {}

  std::vector<std::string> codingPath() const;
  const Value& value() const { return *value_; }
  bool isNull() const { return value_->is_null(); }

  std::string string();
  bool boolean();
  // Integers; a number with a fraction, or one out of range, does not fit.
  std::int64_t int64();
  double float64();
  float float32();

  // Whether the object holds the key (with any value, null included).
  bool contains(std::string_view key) const;
  // The value under a key that must be present.
  Decoder required(std::string_view key) const;
  // The value under a key, absent when the key is missing or null.
  std::optional<Decoder> ifPresent(std::string_view key) const;

  // Each element, in order, decoded by `decodeElement(Decoder&)`.
  template <typename F>
  auto array(F&& decodeElement) const -> std::vector<std::invoke_result_t<F, Decoder&>>;
  // Each member, decoded by `decodeValue(Decoder&)`.
  template <typename F>
  auto dictionary(F&& decodeValue) const -> std::map<std::string, std::invoke_result_t<F, Decoder&>>;

  ErrorPtr dataCorruptedError(std::string description) const;
  [[noreturn]] void failDataCorrupted(std::string description) const;
  [[noreturn]] void failTypeMismatch(std::string_view expectedType) const;
  [[noreturn]] static void fail(ErrorPtr error) { throw DecodingFailure{std::move(error)}; }

 private:
  Decoder(Value& value, const Decoder* parent, std::string_view key, std::size_t index)
      : value_(&value), parent_(parent), key_(key), index_(index), keys_(parent->keys_) {}
  // The member for a record's key, by the key decoding; null when none.
  Value::object_t::iterator findMember(std::string_view key) const;
  void requireObject() const;
  void requireArray() const;
  // Fails on null (value not found) and on other JSON types (type mismatch).
  void requireKind(bool matches, std::string_view expectedType) const;

  Value* value_;
  const Decoder* parent_ = nullptr;
  std::string_view key_;  // empty for elements of arrays (and the root)
  std::size_t index_ = 0;
  KeyDecoding keys_ = KeyDecoding::exact;
};

// The description of a JSON value's type in errors: "a number", "null", ...
std::string typeDescription(const Value& value);

// Parses the bytes (the strict reader's rules) and decodes the document with
// `decodeRoot(Decoder&)`. Bytes that are not JSON are a data-corrupted error
// whose underlying error is the reader's.
template <typename F>
auto decodeDocument(std::string_view bytes, F&& decodeRoot, KeyDecoding keys = KeyDecoding::exact)
    -> std::expected<std::invoke_result_t<F, Decoder&>, ErrorPtr>;

// ---------------------------------------------------------------------------

template <typename F>
auto Decoder::array(F&& decodeElement) const -> std::vector<std::invoke_result_t<F, Decoder&>> {
  requireArray();
  std::vector<std::invoke_result_t<F, Decoder&>> elements;
  elements.reserve(value_->size());
  auto& values = value_->get_ref<Value::array_t&>();
  for (std::size_t i = 0; i < values.size(); ++i) {
    Decoder element(values[i], this, {}, i);
    elements.push_back(decodeElement(element));
  }
  return elements;
}

template <typename F>
auto Decoder::dictionary(F&& decodeValue) const -> std::map<std::string, std::invoke_result_t<F, Decoder&>> {
  requireObject();
  std::map<std::string, std::invoke_result_t<F, Decoder&>> members;
  for (auto& [key, value] : value_->get_ref<Value::object_t&>()) {
    Decoder member(value, this, key, 0);
    members.emplace(key, decodeValue(member));
  }
  return members;
}

ErrorPtr invalidJSONError(const ErrorPtr& readerError);

template <typename F>
auto decodeDocument(std::string_view bytes, F&& decodeRoot, KeyDecoding keys)
    -> std::expected<std::invoke_result_t<F, Decoder&>, ErrorPtr> {
  auto document = parseAllowingFragments(bytes);
  if (!document) return std::unexpected(invalidJSONError(document.error()));
  try {
    Decoder root(*document, keys);
    return decodeRoot(root);
  } catch (const DecodingFailure& failure) {
    return std::unexpected(failure.error);
  }
}

}  // namespace platform::json
