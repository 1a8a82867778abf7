#include "GMime.hpp"

#include <mutex>

namespace mailkit::gmime {

void initialise() {
  static std::once_flag started;
  std::call_once(started, [] { g_mime_init(); });
}

GMimeParserOptions* parserOptions() {
  initialise();
  static GMimeParserOptions* const options = [] {
    GMimeParserOptions* strict = g_mime_parser_options_new();
    g_mime_parser_options_set_rfc2047_compliance_mode(strict, GMIME_RFC_COMPLIANCE_STRICT);
    return strict;
  }();
  return options;
}

std::string take(char* text) {
  std::string owned = text ? text : "";
  g_free(text);
  return owned;
}

}  // namespace mailkit::gmime
