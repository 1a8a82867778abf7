#include "foundation/DiagnosticText.hpp"

#include "foundation/Text.hpp"
#include "foundation/URLCredentials.hpp"

namespace platform {

// Masked first: user information holding a line break is found in the raw text.
std::string diagnosticText(std::string_view text) { return text::escapedForLog(withURLCredentialsMasked(text)); }

}  // namespace platform
