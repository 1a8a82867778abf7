#pragma once

#include <string>

namespace sparkle_test {

// An update feed whose channel holds the given items.
inline std::string feed(const std::string& items) {
  return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Mervo</title>)" +
         items + "</channel></rss>";
}

// One release with its version on the enclosure, as feeds usually have it.
inline std::string release(const std::string& version, const std::string& notes = "<p>Fixes.</p>") {
  return "<item><title>Version " + version + "</title><link>https://quorbel.example/releases/" + version +
         "</link><description><![CDATA[" + notes + "]]></description>" +
         "<enclosure url=\"https://quorbel.example/download/Mervo-" + version + ".tar.gz\" sparkle:version=\"" + version +
         "\" sparkle:shortVersionString=\"" + version + "\" length=\"1024\" type=\"application/octet-stream\"/></item>";
}

// A feed with one item that holds elements nested `depth` deep.
inline std::string nestedFeed(int depth) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    open += "<a>";
    close += "</a>";
  }
  return feed("<item>" + open + close + "</item>");
}

}  // namespace sparkle_test
