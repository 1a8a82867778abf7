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

void Writer::beforeValue() {
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (level.isObject) return;  // the key came first
  if (level.count++ > 0) out_ += ',';
  newLine(levels_.size());
}

void Writer::open(char bracket, bool isObject) {
  if (failed()) return;
  beforeValue();
  if (levels_.size() == kMaxDepth) {
    fail("the document nests deeper than JSON readers accept");
    return;
  }
  out_ += bracket;
  levels_.push_back({isObject, 0, {}});
}

void Writer::close(char bracket) {
  if (failed()) return;
  if (levels_.back().count > 0) newLine(levels_.size() - 1);
  out_ += bracket;
  levels_.pop_back();
}

void Writer::beginObject() { open('{', true); }
void Writer::endObject() { close('}'); }
void Writer::beginArray() { open('[', false); }
void Writer::endArray() { close(']'); }

void Writer::key(std::string_view name) {
  if (failed()) return;
  Level& level = levels_.back();
  level.key = name;
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
  if (failed()) return;
  beforeValue();
  if (!text::isValidUTF8(text)) {
    fail("the string is not valid UTF-8");
    return;
  }
  appendEscaped(out_, text);
}

void Writer::base64(std::span<const std::uint8_t> bytes) {
  if (failed()) return;
  beforeValue();
  out_ += '"';
  base64::appendEncoded(out_, bytes);
  out_ += '"';
}

void Writer::integer(std::int64_t value) {
  if (failed()) return;
  beforeValue();
  fmt::format_to(std::back_inserter(out_), "{}", value);
}

void Writer::integer(std::uint64_t value) {
  if (failed()) return;
  beforeValue();
  fmt::format_to(std::back_inserter(out_), "{}", value);
}

// The shortest text of the value in its own precision: a float 0.7 is
// written 0.7, not as the double it widens to.
template <typename T>
void Writer::floatingPoint(T value) {
  if (failed()) return;
  beforeValue();
  if (!std::isfinite(value)) {
    fail(fmt::format("Unable to encode {} directly in JSON", value));
    return;
  }
  fmt::format_to(std::back_inserter(out_), "{}", value);
}

void Writer::number(double value) { floatingPoint(value); }
void Writer::number(float value) { floatingPoint(value); }

void Writer::boolean(bool value) {
  if (failed()) return;
  beforeValue();
  out_ += value ? "true" : "false";
}

void Writer::null() {
  if (failed()) return;
  beforeValue();
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

void Writer::fail(std::string_view reason) {
  if (failed()) return;
  error_ = makeError(kErrorDomain, errorCode_,
                     "The data couldn\u2019t be written because it isn\u2019t in the correct format.",
                     {{"NSDebugDescription", fmt::format("{} (at {})", reason, position())}});
}

std::expected<std::string, ErrorPtr> Writer::finish() && {
  if (error_) return std::unexpected(error_);
  return std::move(out_);
}

}  // namespace platform::json
