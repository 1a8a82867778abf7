#include "GMime.hpp"

#include <array>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace mailkit::gmime {

namespace {

constexpr std::array<const char*, 3> kMessageSubtypes{"rfc822", "global", "news"};

}  // namespace

void initialise() {
  static std::once_flag started;
  std::call_once(started, [] {
#if defined(__SANITIZE_ADDRESS__)
    // GMime drops the registration of its own that each of ours replaces
    // without freeing it: a few bytes, once, not a leak to report.
    __lsan::ScopedDisabler replacedRegistrations;
#endif
    g_mime_init();
    for (const char* subtype : kMessageSubtypes) g_mime_object_register_type("message", subtype, GMIME_TYPE_PART);
  });
}

bool isMessage(GMimeObject* object) {
  GMimeContentType* type = g_mime_object_get_content_type(object);
  for (const char* subtype : kMessageSubtypes)
    if (g_mime_content_type_is_type(type, "message", subtype)) return GMIME_IS_PART(object);
  return false;
}

Object<GMimeObject> parsedEntity(std::string_view entity) {
  Object<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(entity.data(), entity.size()));
  return parsedEntity(stream.get());
}

Object<GMimeObject> parsedEntity(GMimeStream* entity) {
  Object<GMimeParser> parser(g_mime_parser_new_with_stream(entity));
  return Object<GMimeObject>(g_mime_parser_construct_part(parser.get(), parserOptions()));
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
