#pragma once

#include <optional>
#include <string>

namespace sparkle {

// One release in an update feed.
struct AppcastItem {
  std::string title;
  // The version compared with the program's build (sparkle:version, on the
  // item or its enclosure) and the one shown to people
  // (sparkle:shortVersionString; the version when absent).
  std::string versionString;
  std::string displayVersionString;
  // The release notes as HTML (the item's description).
  std::string itemDescription;
  std::string infoURL;  // the item's link: the release's web page
  std::string fileURL;  // the enclosure's address
  std::string dateString;

  // Where people download the release: the web page, else the enclosure;
  // only an http or https address counts.
  std::optional<std::string> downloadPageURL() const;
};

}  // namespace sparkle
