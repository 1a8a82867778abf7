#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Deployment values, the same lookup for both programs: the process
// environment, then the bundle's ".env" resource, then the caller's default;
// an empty value counts as absent.
namespace quorbel::deployment {

// The ".env" is a few lines long; a larger file (or anything but a regular
// file) counts as unreadable, so that every lookup falls back, and it is
// never read whole into memory.
inline constexpr std::size_t kMaximumDotEnvBytes = 1024 * 1024;

std::string value(const std::string& key, const std::string& defaultValue);

// The value of the first ".env" line that starts with "KEY=", quotes stripped
// from its ends; nothing when no line matches or the file is missing or
// unreadable. The file is read again only once it changed (another size,
// time stamp or inode), so a changed file takes effect at the next lookup.
std::optional<std::string> dotEnvResourceValue(const std::string& key);

// The same lookup in a ".env" text; nothing, too, when it is not UTF-8 (a
// leading byte-order mark is skipped).
std::optional<std::string> dotEnvValue(std::string_view text, const std::string& key);

// "DEBUG_LOGGING" lowercased is "true", or it is exactly "1".
bool isDebugLoggingEnabled();

}  // namespace quorbel::deployment
