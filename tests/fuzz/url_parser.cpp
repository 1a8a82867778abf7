// The URL parser that decides what the URL session may send: whatever the
// bytes, a URL it accepts names a host only when it has an authority, and
// resolving the bytes as a reference (a redirect's Location) keeps that rule.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/URL.hpp"

namespace {

// The rule every accepted URL must keep: a host only after "scheme://".
void checkHostRule(const platform::URL& url) {
  const std::string& text = url.absoluteString();
  if (url.host().empty()) return;
  auto colon = text.find(':');
  if (colon == std::string::npos || text.compare(colon + 1, 2, "//") != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') != std::string::npos) return 0;  // no C string carries one
  if (auto url = platform::URL::parse(text)) {
    checkHostRule(*url);
    (void)url->scheme(), (void)url->path(), (void)url->port();
  }
  static const auto base = platform::URL::parse("https://api.example.com/v1/chat/completions?x=1");
  if (auto resolved = base->resolve(text)) checkHostRule(*resolved);
  return 0;
}
