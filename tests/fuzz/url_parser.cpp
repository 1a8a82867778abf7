// The URL parser that decides what the URL session may send: whatever the
// bytes, a URL it accepts names a host only when it has an authority, and
// resolving the bytes as a reference (a redirect's Location) keeps that rule.
// And the masking of printed addresses: whatever user information libcurl
// reads from a masked text is "***" or nothing.
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/URL.hpp"
#include "foundation/URLCredentials.hpp"

namespace {

// The rule every accepted URL must keep: a host only after "scheme://".
void checkHostRule(const platform::URL& url) {
  const std::string& text = url.absoluteString();
  if (url.host().empty()) return;
  auto colon = text.find(':');
  if (colon == std::string::npos || text.compare(colon + 1, 2, "//") != 0) std::abort();
}

// Whether libcurl reads the part as a text other than nothing or `allowed`.
bool hasPartOtherThan(CURLU* url, CURLUPart part, const char* allowed) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, 0) != CURLUE_OK || !value) return false;
  const bool other = *value && std::strcmp(value, allowed) != 0;
  curl_free(value);
  return other;
}

void checkMasking(const std::string& text) {
  const std::string masked = platform::withURLCredentialsMasked(text);
  CURLU* url = curl_url();
  if (curl_url_set(url, CURLUPART_URL, masked.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
    if (hasPartOtherThan(url, CURLUPART_USER, "***") || hasPartOtherThan(url, CURLUPART_PASSWORD, "")) std::abort();
  }
  curl_url_cleanup(url);
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
  checkMasking(text);
  return 0;
}
