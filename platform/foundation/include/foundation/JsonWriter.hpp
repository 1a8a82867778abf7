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

// The project's one JSON writer: typed values write themselves through it
// straight into the text, and documents held as nlohmann values are written
// through it too (Json.hpp). It is our own, not nlohmann's dump(), because
// the wire needs what the platform's encoders write and dump() does not:
// a float in its own precision (0.7f as 0.7, where dump() writes the double
// it widens to, 0.699999988079071), keys in the order the type writes them,
// and a failure, naming its place, for a number JSON cannot hold, where
// dump() writes null without a word. Like dump() it writes non-ASCII and "/"
// as they are and escapes only quotes, backslashes and control characters
// (\n, \t... and \u001f for the rest), and writes a double with no
// fraction as an integer (42.0 as 42), as the platform does.
//
// A value JSON cannot hold makes the writer fail: the first failure is kept
// (naming where in the document it happened), later writes are ignored, and
// `finish` answers the error instead of the text. Writing never throws.
// Calls that would not make one JSON document fail the same way: a value
// without its key in an object, a key outside an object or a second key
// before its value, a close that does not match what is open, a second value
// at the top level, and a document left unclosed or empty at `finish`.
class Writer {
 public:
  enum class Layout {
    compact,
    indented,  // two spaces a level, one member or element a line, ": " after keys
  };
  // `errorCode`: the code of the failure (the encoder's, or the
  // serialiser's, kWriteInvalidCode).
  explicit Writer(Layout layout = Layout::compact, long errorCode = kEncodingInvalidValueCode)
      : layout_(layout), errorCode_(errorCode) {}

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
  void integer(std::uint64_t value);
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
    std::size_t count = 0;  // members or elements begun
    std::string key;        // the last key, kept for a later failure to name
    bool keyed = false;     // that key still waits for its value
  };
  bool beforeValue();
  void newLine(std::size_t depth);
  void open(char bracket, bool isObject);
  void close(bool isObject);
  template <typename T>
  void floatingPoint(T value);
  std::string position() const;
  void failAt(std::string_view reason, std::string_view place);

  Layout layout_;
  long errorCode_;
  std::string out_;
  std::vector<Level> levels_;
  bool wroteTopLevel_ = false;
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
