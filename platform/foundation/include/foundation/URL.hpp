#pragma once

#include <memory>
#include <optional>
#include <string>

// libcurl's parsed URL (CURLU); only the URL session looks inside.
struct Curl_URL;

namespace platform {

// A parsed absolute URL (RFC 3986). Any scheme parses; only http and https
// can be sent.
//
// The host is what libcurl will connect to, or empty when the URL names no
// host of its own: libcurl reads "http:///H/v1" and "http:/H/v1" as host H,
// but neither has an authority, so here both have no host. The URL session
// sends this very parse, so a URL that passed a host check cannot reach
// another host than the one checked.
class URL {
 public:
  // Absent when the text is not a well-formed absolute URL.
  static std::optional<URL> parse(const std::string& text);

  // A reference (a Location field, say) resolved against this URL: an
  // absolute URL stands for itself, "//host/path" takes this scheme, and a
  // path, query or fragment is joined to this URL. Absent when the result is
  // not well-formed.
  std::optional<URL> resolve(const std::string& reference) const;

  // The text as it was given.
  const std::string& absoluteString() const { return text_; }
  const std::string& scheme() const { return scheme_; }
  const std::string& host() const { return host_; }
  const std::string& path() const { return path_; }
  std::optional<int> port() const { return port_; }

  // libcurl's handle of this parse, for the URL session.
  const Curl_URL* curlHandle() const { return parsed_.get(); }

 private:
  std::string text_, scheme_, host_, path_;
  std::optional<int> port_;
  std::shared_ptr<const Curl_URL> parsed_;
};

}  // namespace platform
