#include "foundation/URL.hpp"

#include <curl/curl.h>

#include <string_view>

namespace platform {
namespace {

std::string part(CURLU* url, CURLUPart which) {
  char* value = nullptr;
  if (curl_url_get(url, which, &value, 0) != CURLUE_OK || !value) return {};
  std::string out = value;
  curl_free(value);
  return out;
}

// Whether the text has an authority with something in it: "//" straight
// after the scheme's colon, then at least one character before the path,
// query or fragment. libcurl is lenient here and takes the first path
// segment as the host instead.
bool hasAuthority(std::string_view text) {
  auto colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view rest = text.substr(colon + 1);
  if (!rest.starts_with("//")) return false;
  rest.remove_prefix(2);
  return !rest.empty() && std::string_view("/?#").find(rest.front()) == std::string_view::npos;
}

// "scheme:" at the start, the scheme being a letter followed by letters,
// digits, "+", "-" and ".".
bool startsWithScheme(std::string_view text) {
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (text.empty() || !isLetter(text.front())) return false;
  for (char c : text.substr(1)) {
    if (c == ':') return true;
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

}  // namespace

std::optional<URL> URL::resolve(const std::string& reference) const {
  if (startsWithScheme(reference)) return parse(reference);
  // The authority is read as written, as for an absolute URL.
  if (reference.starts_with("//")) return parse(scheme_ + ":" + reference);
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> joined(curl_url_dup(const_cast<CURLU*>(parsed_.get())),
                                                             &curl_url_cleanup);
  if (!joined || curl_url_set(joined.get(), CURLUPART_URL, reference.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return std::nullopt;
  return parse(part(joined.get(), CURLUPART_URL));
}

std::optional<URL> URL::parse(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::shared_ptr<CURLU> handle(curl_url(), &curl_url_cleanup);
  if (!handle) return std::nullopt;
  // Any scheme parses; refusing the ones we do not send is the sender's job.
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return std::nullopt;
  URL url;
  url.text_ = text;
  url.scheme_ = part(handle.get(), CURLUPART_SCHEME);
  url.host_ = hasAuthority(text) ? part(handle.get(), CURLUPART_HOST) : std::string();
  url.path_ = part(handle.get(), CURLUPART_PATH);
  if (auto port = part(handle.get(), CURLUPART_PORT); !port.empty()) url.port_ = std::stoi(port);
  url.parsed_ = std::move(handle);
  return url;
}

}  // namespace platform
