#include "foundation/JsonDecoder.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "foundation/Text.hpp"

namespace platform::json {

DecodingError::DecodingError(Kind kind, std::vector<std::string> codingPath, std::string description,
                             ErrorPtr underlying)
    : kind_(kind), codingPath_(std::move(codingPath)), description_(std::move(description)),
      underlying_(std::move(underlying)) {}

long DecodingError::code() const {
  return kind_ == Kind::keyNotFound || kind_ == Kind::valueNotFound ? kDecodingValueNotFoundCode
                                                                    : kDecodingCorruptCode;
}

std::string DecodingError::localizedDescription() const {
  return kind_ == Kind::keyNotFound || kind_ == Kind::valueNotFound
             ? "The data couldn\u2019t be read because it is missing."
             : "The data couldn\u2019t be read because it isn\u2019t in the correct format.";
}

std::string DecodingError::debugDescription() const {
  static constexpr const char* kKindNames[] = {"typeMismatch", "valueNotFound", "keyNotFound", "dataCorrupted"};
  std::string path;
  for (const auto& element : codingPath_) path += (path.empty() ? "" : ".") + text::repairUTF8(element);
  std::string out = fmt::format("{}: {} (coding path: [{}])", kKindNames[static_cast<int>(kind_)], description_, path);
  if (underlying_) out += " underlying error: " + underlying_->debugDescription();
  return out;
}

std::string typeDescription(const Value& value) {
  switch (value.type()) {
    case Value::value_t::null: return "null";
    case Value::value_t::boolean: return "a boolean";
    case Value::value_t::string: return "a string";
    case Value::value_t::array: return "an array";
    case Value::value_t::object: return "a dictionary";
    default: return "a number";
  }
}

ErrorPtr invalidJSONError(const ErrorPtr& readerError) {
  return std::make_shared<DecodingError>(DecodingError::Kind::dataCorrupted, std::vector<std::string>{},
                                         "The given data was not valid JSON.", readerError);
}

std::vector<std::string> Decoder::codingPath() const {
  std::vector<std::string> path;
  for (const Decoder* node = this; node->parent_; node = node->parent_)
    path.push_back(node->key_.empty() && node->parent_->value_->is_array() ? fmt::format("Index {}", node->index_)
                                                                            : std::string(node->key_));
  return {path.rbegin(), path.rend()};
}

ErrorPtr Decoder::dataCorruptedError(std::string description) const {
  return std::make_shared<DecodingError>(DecodingError::Kind::dataCorrupted, codingPath(), std::move(description));
}

void Decoder::failDataCorrupted(std::string description) const { fail(dataCorruptedError(std::move(description))); }

void Decoder::failTypeMismatch(std::string_view expectedType) const {
  fail(std::make_shared<DecodingError>(
      DecodingError::Kind::typeMismatch, codingPath(),
      fmt::format("Expected to decode {} but found {} instead.", expectedType, typeDescription(*value_))));
}

void Decoder::requireKind(bool matches, std::string_view expectedType) const {
  if (matches) return;
  if (value_->is_null())
    fail(std::make_shared<DecodingError>(DecodingError::Kind::valueNotFound, codingPath(),
                                         fmt::format("Expected {} value but found null instead.", expectedType)));
  failTypeMismatch(expectedType);
}

void Decoder::requireObject() const { requireKind(value_->is_object(), "Dictionary<String, Any>"); }

void Decoder::requireArray() const { requireKind(value_->is_array(), "Array<Any>"); }

std::string Decoder::string() {
  requireKind(value_->is_string(), "String");
  return std::move(value_->get_ref<std::string&>());
}

bool Decoder::boolean() {
  requireKind(value_->is_boolean(), "Bool");
  return value_->get<bool>();
}

std::int64_t Decoder::int64() {
  requireKind(value_->is_number(), "Int64");
  if (value_->is_number_integer() && !value_->is_number_unsigned()) return value_->get<std::int64_t>();
  if (value_->is_number_unsigned()) {
    const auto u = value_->get<std::uint64_t>();
    if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      return static_cast<std::int64_t>(u);
  } else {
    // A number written with a fraction or an exponent counts only when it is
    // a whole number that fits: 12.0 reads as 12, 12.5 does not.
    const double d = value_->get<double>();
    if (std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
      return static_cast<std::int64_t>(d);
  }
  failDataCorrupted(fmt::format("Parsed JSON number <{}> does not fit in Int64.", value_->dump()));
}

double Decoder::float64() {
  requireKind(value_->is_number(), "Double");
  return value_->get<double>();
}

float Decoder::float32() {
  requireKind(value_->is_number(), "Float");
  const double d = value_->get<double>();
  if (std::fabs(d) > std::numeric_limits<float>::max())
    failDataCorrupted(fmt::format("Parsed JSON number <{}> does not fit in Float.", value_->dump()));
  return static_cast<float>(d);
}

std::string convertFromSnakeCase(std::string_view key) {
  const auto first = key.find_first_not_of('_');
  if (first == std::string_view::npos) return std::string(key);
  const auto last = key.find_last_not_of('_');
  const std::string_view core = key.substr(first, last - first + 1);
  if (core.find('_') == std::string_view::npos) return std::string(key);
  std::string converted(key.substr(0, first));
  bool firstWord = true;
  std::size_t start = 0;
  while (start <= core.size()) {
    const auto end = std::min(core.find('_', start), core.size());
    const std::string_view word = core.substr(start, end - start);
    if (!word.empty()) {
      if (firstWord) {
        converted.append(word);
        firstWord = false;
      } else {
        converted.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(word.front()))));
        for (char c : word.substr(1)) converted.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
      }
    }
    start = end + 1;
  }
  converted.append(key.substr(last + 1));
  return converted;
}

Value::object_t::iterator Decoder::findMember(std::string_view key) const {
  requireObject();
  auto& object = value_->get_ref<Value::object_t&>();
  auto it = object.find(key);
  if (it != object.end() || keys_ == KeyDecoding::exact) return it;
  for (auto member = object.begin(); member != object.end(); ++member)
    if (member->first.find('_') != std::string::npos && convertFromSnakeCase(member->first) == key) return member;
  return object.end();
}

bool Decoder::contains(std::string_view key) const {
  auto it = findMember(key);  // first: it checks that the value is an object
  return it != value_->get_ref<Value::object_t&>().end();
}

Decoder Decoder::required(std::string_view key) const {
  auto it = findMember(key);
  if (it == value_->get_ref<Value::object_t&>().end())
    fail(std::make_shared<DecodingError>(DecodingError::Kind::keyNotFound, codingPath(),
                                         fmt::format("No value associated with key \"{}\".", key)));
  return Decoder(it->second, this, it->first, 0);
}

std::optional<Decoder> Decoder::ifPresent(std::string_view key) const {
  auto it = findMember(key);
  if (it == value_->get_ref<Value::object_t&>().end() || it->second.is_null()) return std::nullopt;
  return Decoder(it->second, this, it->first, 0);
}

}  // namespace platform::json
