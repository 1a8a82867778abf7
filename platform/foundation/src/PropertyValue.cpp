#include "foundation/PropertyValue.hpp"

#include <fmt/format.h>

#include "foundation/Text.hpp"

namespace platform {
namespace {

// Quotes a text when it is not a plain word, as the defaults command prints
// it: escaped as a property-list text writes it, so that a stored control
// character never reaches the terminal.
std::string quoted(const std::string& s) {
  bool plain = !s.empty();
  for (unsigned char c : s)
    if (!(std::isalnum(c) || c == '_' || c == '.' || c == '-' || c == '/' || c >= 0x80)) plain = false;
  std::string escaped = text::propertyListEscaped(s);
  if (plain && escaped == s) return s;
  return "\"" + escaped + "\"";
}

void describe(const PropertyValue& v, std::string& out, int indent) {
  std::string pad(indent * 4, ' ');
  if (auto s = v.asString()) {
    out += quoted(*s);
  } else if (auto i = v.asInteger()) {
    out += std::to_string(*i);
  } else if (auto u = v.asUnsignedInteger()) {
    out += std::to_string(*u);
  } else if (auto r = v.asReal()) {
    out += fmt::format("{}", *r);
  } else if (auto b = v.asBool()) {
    out += *b ? "1" : "0";
  } else if (auto d = v.asDate()) {
    out += fmt::format("<date {}>", d->secondsSinceReferenceDate);
  } else if (auto data = v.asData()) {
    out += "{length = " + std::to_string(data->size()) + "}";
  } else if (auto a = v.asArray()) {
    out += "(\n";
    for (std::size_t k = 0; k < a->size(); ++k) {
      out += pad + "    ";
      describe((*a)[k], out, indent + 1);
      out += k + 1 < a->size() ? ",\n" : "\n";
    }
    out += pad + ")";
  } else if (auto dict = v.asDictionary()) {
    out += "{\n";
    for (const auto& [key, value] : *dict) {
      out += pad + "    " + quoted(key) + " = ";
      describe(value, out, indent + 1);
      out += ";\n";
    }
    out += pad + "}";
  }
}

}  // namespace

PropertyValue::PropertyValue(std::uint64_t v) {
  if (v <= static_cast<std::uint64_t>(INT64_MAX))
    storage_ = static_cast<std::int64_t>(v);
  else
    storage_ = v;
}

std::string PropertyValue::description() const {
  std::string out;
  describe(*this, out, 0);
  return out;
}

}  // namespace platform
