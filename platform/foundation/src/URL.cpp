#include <curl/curl.h>

#include <memory>
#include <string_view>

#include "foundation/URLSession.hpp"

namespace platform {
namespace {
std::string part(CURLU* url, CURLUPart which) {
  char* value = nullptr;
  if (curl_url_get(url, which, &value, 0) != CURLUE_OK || !value) return {};
  std::string out = value;
  curl_free(value);
  return out;
}
}  // namespace

std::optional<URL> URL::parse(const std::string& text) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), &curl_url_cleanup);
  if (!handle || text.empty()) return std::nullopt;
  // Any scheme parses; refusing the ones we do not send is the sender's job.
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return std::nullopt;
  URL url;
  url.text_ = text;
  url.scheme_ = part(handle.get(), CURLUPART_SCHEME);
  // curl reads "http:///v1" as host "v1"; an empty authority names no host.
  auto authority = text.find("://");
  bool emptyAuthority = authority != std::string::npos &&
                        (authority + 3 == text.size() || std::string_view("/?#").find(text[authority + 3]) != std::string_view::npos);
  url.host_ = emptyAuthority ? std::string() : part(handle.get(), CURLUPART_HOST);
  url.path_ = part(handle.get(), CURLUPART_PATH);
  if (auto port = part(handle.get(), CURLUPART_PORT); !port.empty()) url.port_ = std::stoi(port);
  return url;
}

}  // namespace platform
