#pragma once

#include <string>
#include <string_view>

namespace mailkit {

// How the lines of a text/plain part are meant (RFC 3676): fixed lines, or
// format=flowed, whose lines ending in a space continue on the next line;
// with DelSp=yes that space was added by the sender and is not text.
struct PlainTextFormat {
  bool flowed = false;
  bool deleteSpace = false;
};

// The text of a text/plain part as a mail reader shows it: every line, blank
// line and "> " marker as it stands, CR LF (or a lone CR) read as one line
// break, nothing read as markup or as a character reference. Flowed text has
// its soft line breaks joined within each quote depth, its space-stuffing
// removed and each line's quote depth written as "> " once per level; the
// signature separator "-- " is always a line of its own. Invalid UTF-8
// becomes U+FFFD.
std::string readPlainText(std::string_view text, PlainTextFormat format = {});

}  // namespace mailkit
