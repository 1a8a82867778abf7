#include "GMime.hpp"

#include <mutex>

namespace mailkit::gmime {

void initialise() {
  static std::once_flag started;
  std::call_once(started, [] { g_mime_init(); });
}

std::string take(char* text) {
  std::string owned = text ? text : "";
  g_free(text);
  return owned;
}

}  // namespace mailkit::gmime
