#include "foundation/PropertyList.hpp"

#include <cerrno>
#include <cstring>
#include <string>

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

}  // namespace platform::plist
