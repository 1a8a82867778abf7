#include "foundation/PropertyList.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include <plist/plist.h>

#include "BinaryPropertyList.hpp"
#include "BinaryPropertyListObjects.hpp"
#include "XMLPropertyList.hpp"
#include "foundation/AtomicFile.hpp"
#include "foundation/Text.hpp"

namespace platform::plist {
namespace {

ErrorPtr formatError(const std::string& reason) {
  return makeError(kErrorDomain, kFormatCode, "The data couldn\u2019t be read because it isn\u2019t in the correct format.",
                   {{"NSDebugDescription", reason}});
}

ErrorPtr writeError(const std::string& reason) {
  return makeError(kErrorDomain, kFormatCode, "The data couldn\u2019t be written: " + reason + ".",
                   {{"NSDebugDescription", reason}});
}

std::expected<PropertyValue, ErrorPtr> parseXML(std::string_view bytes) {
  auto value = xml::read(bytes, kMaxValues, kMaxDepth);
  if (!value) return std::unexpected(formatError("Property list refused: " + value.error() + "."));
  // Checked once the reader accepted the file, so that one holding too many
  // values is refused before the whole of it is looked at.
  if (std::memchr(bytes.data(), '\0', bytes.size()) || !text::isValidUTF8(bytes))
    return std::unexpected(formatError("XML property lists hold UTF-8 text without NUL characters."));
  return std::move(*value);
}

ErrorPtr fileError(const std::filesystem::path& path, const files::FileFailure& failure) {
  const long code = failure.isMissing()                                 ? kFileReadNoSuchFileCode
                    : failure.error == EACCES || failure.error == EPERM ? kFileReadNoPermissionCode
                                                                        : kFileReadUnknownCode;
  return makeError(kErrorDomain, code,
                   "The file \u201C" + path.string() + "\u201D couldn\u2019t be read: " + failure.reason + ".",
                   {{"NSFilePath", path.string()}});
}

// libplist ends the process when asked to print a text or key holding NUL.
bool holdsNUL(const PropertyValue& value) {
  if (const auto* text = value.asString()) return text->find('\0') != std::string::npos;
  if (const auto* items = value.asArray())
    return std::any_of(items->begin(), items->end(), [](const PropertyValue& item) { return holdsNUL(item); });
  if (const auto* entries = value.asDictionary())
    return std::any_of(entries->begin(), entries->end(), [](const auto& entry) {
      return entry.first.find('\0') != std::string::npos || holdsNUL(entry.second);
    });
  return false;
}

}  // namespace

std::expected<PropertyValue, ErrorPtr> parse(std::string_view bytes) {
  if (bytes.empty()) return std::unexpected(formatError("Empty property list."));
  if (bytes.size() > kMaxFileBytes) return std::unexpected(formatError("Property list larger than 32 MiB."));
  if (bytes.starts_with(binary::kMagic)) {
    auto value = binary::read(bytes, kMaxValues, kMaxDepth);
    if (!value) return std::unexpected(formatError("Property list refused: " + value.error() + "."));
    return std::move(*value);
  }
  if (bytes.starts_with("bplist")) return std::unexpected(formatError("Binary property list of an unknown version."));
  return parseXML(bytes);
}

std::expected<PropertyValue, ErrorPtr> readFile(const std::filesystem::path& path) {
  auto bytes = files::readWholeFile(path, kMaxFileBytes);
  if (!bytes) return std::unexpected(fileError(path, bytes.error()));
  return parse(*bytes);
}

std::expected<std::string, ErrorPtr> toBinary(const PropertyValue& value) {
  auto encoded = binary::write(value);
  if (!encoded) return std::unexpected(writeError(encoded.error()));
  // A file no reader takes back would shut its owner out of every value it
  // holds, so what passes the limits is never written.
  if (!parse(*encoded))
    return std::unexpected(writeError("a property list may hold no more than " + std::to_string(kMaxFileBytes >> 20) +
                                      " MiB, " + std::to_string(kMaxValues) + " values and " +
                                      std::to_string(kMaxDepth) + " levels"));
  return std::move(*encoded);
}

std::expected<std::string, ErrorPtr> toXML(const PropertyValue& value) {
  if (holdsNUL(value)) return std::unexpected(writeError("XML cannot hold NUL characters"));
  auto encoded = toBinary(value);
  if (!encoded) return std::unexpected(encoded.error());
  plist_t raw = nullptr;
  plist_from_bin(encoded->data(), static_cast<uint32_t>(encoded->size()), &raw);
  if (!raw) return std::unexpected(writeError("the value cannot be converted to XML"));
  const std::unique_ptr<void, decltype(&plist_free)> tree(raw, &plist_free);
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(raw, &xml, &length);
  if (!xml) return std::unexpected(writeError("the value cannot be converted to XML"));
  std::string out(xml, length);
  plist_to_xml_free(xml);
  // What XML cannot hold comes back changed, or not at all.
  auto reread = parse(out);
  if (!reread || !(*reread == value)) return std::unexpected(writeError("XML cannot hold one of the values"));
  return out;
}

}  // namespace platform::plist
