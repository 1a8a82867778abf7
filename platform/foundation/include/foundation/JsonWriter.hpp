#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Error.hpp"

namespace platform::json {

// Error code of values that JSON cannot hold (a string that is not UTF-8, a
// number that is not finite, a document nested too deep).
inline constexpr long kEncodingInvalidValueCode = 4866;

// Writes one JSON document straight into a text, as compact JSON, without
// building a document tree first. Commas are the writer's business.
//
// A value JSON cannot hold makes the writer fail: the first failure is kept
// (naming where in the document it happened), later writes are ignored, and
// `finish` answers the error instead of the text. Writing never throws.
class Writer {
 public:
  Writer() = default;

  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  // The key of the next value inside an object.
  void key(std::string_view name);

  void string(std::string_view text);  // must be valid UTF-8
  // The bytes as a string of standard, padded base64.
  void base64(std::span<const std::uint8_t> bytes);
  void integer(std::int64_t value);
  // The shortest text that reads back as the same number: 42.0 is written 42.
  void number(double value);
  void number(float value);
  void boolean(bool value);
  void null();

  // Records a failure of the caller's own at the current position.
  void fail(std::string_view reason);
  bool failed() const { return error_ != nullptr; }

  // The document, or the first failure.
  std::expected<std::string, ErrorPtr> finish() &&;

 private:
  struct Level {
    bool isObject;
    std::size_t count = 0;
    std::string_view key;
  };
  void beforeValue();
  void open(char bracket, bool isObject);
  void close(char bracket);
  template <typename T>
  void floatingPoint(T value);
  std::string position() const;

  std::string out_;
  std::vector<Level> levels_;
  ErrorPtr error_;
};

// Runs `write` on a fresh writer and answers its document.
template <typename F>
std::expected<std::string, ErrorPtr> write(F&& write) {
  Writer writer;
  write(writer);
  return std::move(writer).finish();
}

}  // namespace platform::json
