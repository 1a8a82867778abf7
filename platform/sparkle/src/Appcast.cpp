#include "sparkle/Appcast.hpp"

#include <QByteArray>
#include <QXmlStreamReader>

#include <fmt/format.h>

#include "sparkle/SparkleError.hpp"

namespace sparkle {
namespace {

const QString kSparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

// Element depths in a feed: <rss> 1, <channel> 2, <item> 3, an item's fields 4.
constexpr int kRSSDepth = 1;
constexpr int kChannelDepth = 2;
constexpr int kItemDepth = 3;
constexpr int kFieldDepth = 4;

platform::ErrorPtr refused(const std::string& description) {
  return makeSparkleError(AppcastParseError, description);
}

// The item field an element at field depth fills, or null for others.
std::string* fieldFor(AppcastItem& item, const QXmlStreamReader& xml) {
  const auto name = xml.name();
  if (xml.namespaceUri().isEmpty()) {
    if (name == u"title") return &item.title;
    if (name == u"link") return &item.infoURL;
    if (name == u"description") return &item.itemDescription;
    if (name == u"pubDate") return &item.dateString;
  } else if (xml.namespaceUri() == kSparkleNamespace) {
    if (name == u"version") return &item.versionString;
    if (name == u"shortVersionString") return &item.displayVersionString;
  }
  return nullptr;
}

void readEnclosure(AppcastItem& item, const QXmlStreamReader& xml) {
  const auto attributes = xml.attributes();
  item.fileURL = attributes.value(QStringLiteral("url")).toString().toStdString();
  // A version on the item itself wins over the enclosure's.
  if (item.versionString.empty()) item.versionString = attributes.value(kSparkleNamespace, QStringLiteral("version")).toString().toStdString();
  if (item.displayVersionString.empty())
    item.displayVersionString = attributes.value(kSparkleNamespace, QStringLiteral("shortVersionString")).toString().toStdString();
}

}  // namespace

platform::ErrorPtr feedTooLargeError() {
  return refused(fmt::format("The update feed is larger than {} bytes and was not read.", kMaximumFeedBytes));
}

std::expected<std::vector<AppcastItem>, platform::ErrorPtr> parseAppcast(std::string_view bytes) {
  if (bytes.size() > kMaximumFeedBytes) return std::unexpected(feedTooLargeError());

  QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
  std::vector<AppcastItem> items;
  std::optional<AppcastItem> item;
  std::string* field = nullptr;  // the field whose text is being read
  QString text;
  int depth = 0;
  bool sawChannel = false;

  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::DTD:
        return std::unexpected(refused("The update feed carries a document type declaration and was not read."));
      case QXmlStreamReader::StartElement:
        if (++depth > kMaximumFeedDepth)
          return std::unexpected(refused(
              fmt::format("The update feed is nested more than {} elements deep and was not read.", kMaximumFeedDepth)));
        if (depth == kRSSDepth && (xml.name() != u"rss" || !xml.namespaceUri().isEmpty()))
          return std::unexpected(refused("The update feed is not an RSS feed."));
        if (depth == kChannelDepth && xml.name() == u"channel") sawChannel = true;
        if (depth == kItemDepth && sawChannel && xml.name() == u"item" && xml.namespaceUri().isEmpty()) item.emplace();
        if (depth == kFieldDepth && item) {
          if (xml.name() == u"enclosure" && xml.namespaceUri().isEmpty()) readEnclosure(*item, xml);
          field = fieldFor(*item, xml);
          text.clear();
        }
        break;
      case QXmlStreamReader::Characters:
        // Text of elements inside a field (HTML written as XML) counts too.
        if (field) text += xml.text();
        break;
      case QXmlStreamReader::EndElement:
        if (depth == kFieldDepth && field) {
          *field = text.trimmed().toStdString();
          field = nullptr;
        }
        if (depth == kItemDepth && item) {
          if (!item->versionString.empty()) {
            if (item->displayVersionString.empty()) item->displayVersionString = item->versionString;
            items.push_back(std::move(*item));
          }
          item.reset();
        }
        --depth;
        break;
      default:
        break;
    }
  }
  if (xml.hasError())
    return std::unexpected(
        refused(fmt::format("The update feed is not well-formed XML: {} (line {}).", xml.errorString().toStdString(),
                            xml.lineNumber())));
  if (!sawChannel) return std::unexpected(refused("The update feed is not an RSS feed."));
  return items;
}

}  // namespace sparkle
