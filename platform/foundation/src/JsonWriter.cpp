#include "foundation/JsonWriter.hpp"

#include <cmath>

#include <fmt/format.h>

#include "foundation/Base64.hpp"
#include "foundation/Json.hpp"
#include "foundation/Text.hpp"

namespace platform::json {
namespace {

// As deep as the reader accepts: what we write must read back, and encoding
// a value nested without limit must not exhaust the stack.
constexpr std::size_t kMaxDepth = 512;

bool needsEscape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; }

void appendEscaped(std::string& out, std::string_view text) {
  out += '"';
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!needsEscape(c)) continue;
    out.append(text.substr(run, i - run));
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default: fmt::format_to(std::back_inserter(out), "\\u{:04x}", c);
    }
    run = i + 1;
  }
  out.append(text.substr(run));
  out += '"';
}

}  // namespace

void Writer::newLine(std::size_t depth) {
  if (layout_ == Layout::compact) return;
  out_ += '\n';
  out_.append(2 * depth, ' ');
}

// Whether a value may come here (its comma and line written); fails the
// writer where it may not.
bool Writer::beforeValue() {
  if (failed()) return false;
  if (levels_.empty()) {
    if (wroteTopLevel_) {
      fail("a value after the end of the document");
      return false;
    }
    wroteTopLevel_ = true;
    return true;
  }
  Level& level = levels_.back();
  if (level.isObject) {
    if (!level.keyed) {
      // Where the object has members, the last key has had its value.
      failAt("a value without a key in an object", (level.count > 0 ? "after " : "at ") + position());
      return false;
    }
    level.keyed = false;
    return true;
  }
  if (level.count++ > 0) out_ += ',';
  newLine(levels_.size());
  return true;
}

void Writer::open(char bracket, bool isObject) {
  if (!beforeValue()) return;
  if (levels_.size() == kMaxDepth) {
    fail("the document nests deeper than JSON readers accept");
    return;
  }
  out_ += bracket;
  levels_.push_back({isObject, 0, {}, false});
}

void Writer::close(bool isObject) {
  if (failed()) return;
  if (levels_.empty()) return fail("a close with nothing open");
  const Level& level = levels_.back();
  if (level.isObject != isObject) return fail(isObject ? "an array closed as an object" : "an object closed as an array");
  if (level.keyed) return fail("a key without a value");
  if (level.count > 0) newLine(levels_.size() - 1);
  out_ += isObject ? '}' : ']';
  levels_.pop_back();
}

void Writer::beginObject() { open('{', true); }
void Writer::endObject() { close(true); }
void Writer::beginArray() { open('[', false); }
void Writer::endArray() { close(false); }

void Writer::key(std::string_view name) {
  if (failed()) return;
  if (levels_.empty() || !levels_.back().isObject) return fail("a key outside an object");
  Level& level = levels_.back();
  if (level.keyed) return fail("a second key before a value");
  level.key = name;
  level.keyed = true;
  if (!text::isValidUTF8(name)) {
    fail("the key is not valid UTF-8");
    return;
  }
  if (level.count++ > 0) out_ += ',';
  newLine(levels_.size());
  appendEscaped(out_, name);
  out_ += layout_ == Layout::compact ? ":" : ": ";
}

void Writer::string(std::string_view text) {
  if (!beforeValue()) return;
  if (!text::isValidUTF8(text)) {
    fail("the string is not valid UTF-8");
    return;
  }
  appendEscaped(out_, text);
}

void Writer::base64(std::span<const std::uint8_t> bytes) {
  if (!beforeValue()) return;
  out_ += '"';
  base64::appendEncoded(out_, bytes);
  out_ += '"';
}

void Writer::integer(std::int64_t value) {
  if (!beforeValue()) return;
  fmt::format_to(std::back_inserter(out_), "{}", value);
}

void Writer::integer(std::uint64_t value) {
  if (!beforeValue()) return;
  fmt::format_to(std::back_inserter(out_), "{}", value);
}

// The shortest text of the value in its own precision: a float 0.7 is
// written 0.7, not as the double it widens to.
template <typename T>
void Writer::floatingPoint(T value) {
  if (!beforeValue()) return;
  if (!std::isfinite(value)) {
    fail(fmt::format("Unable to encode {} directly in JSON", value));
    return;
  }
  fmt::format_to(std::back_inserter(out_), "{}", value);
}

void Writer::number(double value) { floatingPoint(value); }
void Writer::number(float value) { floatingPoint(value); }

void Writer::boolean(bool value) {
  if (!beforeValue()) return;
  out_ += value ? "true" : "false";
}

void Writer::null() {
  if (!beforeValue()) return;
  out_ += "null";
}

std::string Writer::position() const {
  std::string path;
  for (const Level& level : levels_) {
    if (level.isObject) {
      if (level.count == 0) continue;  // no key yet
      if (!path.empty()) path += '.';
      path += text::repairUTF8(level.key);
    } else {
      fmt::format_to(std::back_inserter(path), "[{}]", level.count == 0 ? 0 : level.count - 1);
    }
  }
  return path.empty() ? "the top level" : path;
}

void Writer::fail(std::string_view reason) { failAt(reason, "at " + position()); }

void Writer::failAt(std::string_view reason, std::string_view place) {
  if (failed()) return;
  error_ = makeError(kErrorDomain, errorCode_,
                     "The data couldn\u2019t be written because it isn\u2019t in the correct format.",
                     {{"NSDebugDescription", fmt::format("{} ({})", reason, place)}});
}

std::expected<std::string, ErrorPtr> Writer::finish() && {
  if (!levels_.empty())
    fail(levels_.back().isObject ? "the document ends inside an object" : "the document ends inside an array");
  else if (!wroteTopLevel_)
    fail("the document is empty");
  if (error_) return std::unexpected(error_);
  return std::move(out_);
}

}  // namespace platform::json
