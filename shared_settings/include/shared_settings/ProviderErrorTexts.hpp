#pragma once

#include <string_view>

namespace quorbel::error_texts {

// The descriptions that the extension's router errors and the settings
// application's connection-test errors share; both sides must read alike.
inline constexpr std::string_view serviceNotAvailablePrefix = "Service not available: ";
inline constexpr std::string_view httpErrorPrefix = "HTTP error: ";
inline constexpr std::string_view firebaseNotConfigured = "Firebase is not configured properly";
inline constexpr std::string_view emptyResponse = "Received empty response from API";
inline constexpr std::string_view invalidRequest = "Failed to create request";
inline constexpr std::string_view invalidResponse = "Invalid response format";
inline constexpr std::string_view noData = "No data received from API";

}  // namespace quorbel::error_texts
