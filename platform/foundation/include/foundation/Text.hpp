#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

// All functions take and return UTF-8. "Characters" are user-perceived
// characters (extended grapheme clusters), as people count them.

bool isValidUTF8(std::string_view s);

// Invalid sequences become U+FFFD; valid text passes unchanged.
std::string repairUTF8(std::string_view s);

std::size_t characterCount(std::string_view s);

// The first n characters (all of s when it is shorter).
std::string prefixCharacters(std::string_view s, std::size_t n);

// s when it has at most limit characters; otherwise its first limit
// characters followed by "...".
std::string truncated(std::string_view s, std::size_t limit);

// Removes Unicode white space and newline characters from both ends.
std::string trimWhitespaceAndNewlines(std::string_view s);
bool isBlank(std::string_view s);

// Splits at every newline character (LF, VT, FF, CR, NEL, LS, PS). A CR LF
// pair counts as two separators, so it yields an empty piece between them.
std::vector<std::string> splitAtNewlines(std::string_view s);

// Splits into lines: CR LF is one separator and empty pieces are left out.
std::vector<std::string> splitIntoLines(std::string_view s);

// Whether two texts are the same text for people: equal once both are in the
// same Unicode normalization form ("e" with a combining acute equals "é").
bool canonicallyEquivalent(std::string_view a, std::string_view b);

// Full Unicode lowercasing (locale independent).
std::string lowercased(std::string_view s);

// Prints a list of texts as ["a", "b"].
std::string quotedListDescription(const std::vector<std::string>& items);

// The shortest decimal form of a floating-point number that always shows a
// fraction: 30 -> "30.0", 0.5 -> "0.5".
std::string decimalDescription(double value);

// The text as one line of a log: invalid UTF-8 repaired, and line breaks,
// other control characters and the bidirectional formatting characters
// written as escapes ("\n", "\r", "\u{1B}", "\u{202E}"), so that text from
// outside can neither fake a line nor restyle, clear or reorder the terminal
// that shows it. Tabs stay.
std::string escapedForLog(std::string_view s);

// The same for a text shown whole on a terminal: its line feeds (alone or
// after a CR) and tabs stay.
std::string escapedForTerminal(std::string_view s);

// The text as a quoted string of an old-style property-list text writes it,
// without the quotes: '"' and '\\' after a backslash, the C escapes "\n",
// "\t", "\r", "\a", "\b", "\v" and "\f", every other character a terminal
// would obey as "\U" and four hexadecimal digits ("\U001b", "\U202e"), and
// a byte that is not UTF-8 as a backslash and three octal digits ("\377").
// A text that holds none of these comes back as it is.
std::string propertyListEscaped(std::string_view s);

}  // namespace platform::text
