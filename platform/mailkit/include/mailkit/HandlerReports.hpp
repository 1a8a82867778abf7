#pragma once

#include <expected>
#include <filesystem>
#include <string>

#include "mailkit/Handlers.hpp"

namespace mailkit {

// The extension's other handlers, run on demand as Mail would run them, each
// answer written out as text for a person or a script.

// "background colour: red" or "no action" for a message file.
std::expected<std::string, std::string> messageActionReport(MEExtension& extension,
                                                            const std::filesystem::path& messageFile);

// The content blocker's rules, byte for byte.
std::string contentRulesReport(MEExtension& extension);

// The security handler's encoding status for an outgoing message, one
// "name: value" line each.
std::string securityStatusReport(MEExtension& extension);

}  // namespace mailkit
