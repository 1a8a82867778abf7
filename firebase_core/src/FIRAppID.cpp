#include "firebase_core/FIRAppID.hpp"

#include <cctype>
#include <string>
#include <vector>

#include "firebase_core/FIRLogger.hpp"

namespace firebase {

namespace {

bool isDecimal(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Consumes a non-empty run of characters that pass the test.
bool takeRun(std::string_view& text, bool (*test)(char)) {
  std::size_t length = 0;
  while (length < text.size() && test(text[length])) ++length;
  text.remove_prefix(length);
  return length > 0;
}

bool takeText(std::string_view& text, std::string_view expected) {
  if (!text.starts_with(expected)) return false;
  text.remove_prefix(expected.size());
  return true;
}

// A hexadecimal number as a scanner reads it: an optional "0x", then digits,
// as many as there are (real identifiers carry about 22).
bool takeHexNumber(std::string_view& text) {
  std::string_view rest = text;
  if (rest.starts_with("0x") || rest.starts_with("0X")) rest.remove_prefix(2);
  if (!takeRun(rest, isHex)) return takeRun(text, isHex);
  text = rest;
  return true;
}

bool validateAppIDFormat(std::string_view appID, std::string_view version) {
  if (appID.empty() || version.empty()) return false;
  std::string_view rest = appID;
  if (!takeText(rest, version) || !takeText(rest, ":") || !takeRun(rest, isDecimal) || !takeText(rest, ":")) {
    return false;
  }
  const auto colon = rest.find(':');
  if (colon == std::string_view::npos || rest.substr(0, colon) != "ios") return false;
  rest.remove_prefix(colon + 1);
  return takeHexNumber(rest) && rest.empty();
}

bool validateBundleIDHashWithinAppID(std::string_view appID, std::string_view version) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t colon = appID.find(':'); colon != std::string_view::npos; colon = appID.find(':', start)) {
    parts.push_back(appID.substr(start, colon - start));
    start = colon + 1;
  }
  parts.push_back(appID.substr(start));
  if (parts.size() != 4) return false;
  std::string_view hash = parts[3];
  if (hash.empty() || !takeHexNumber(hash)) return false;
  return version == "1";
}

}  // namespace

bool FIRValidateAppID(std::string_view appID) {
  if (appID.empty()) return false;
  std::string_view rest = appID;
  if (!takeRun(rest, isDecimal)) return false;
  const std::string_view version = appID.substr(0, appID.size() - rest.size());
  if (!rest.starts_with(':')) return false;
  if (version != "1") {
    FIRLog(kGULLoggerLevelInfo, kFIRLoggerCore, "I-COR000010", "Unknown GOOGLE_APP_ID version: {}", version);
    return true;
  }
  return validateAppIDFormat(appID, version) && validateBundleIDHashWithinAppID(appID, version);
}

}  // namespace firebase
