#pragma once

#include <cstddef>
#include <string_view>

namespace platform::plist {

// Whether the arrays and dictionaries that an XML parser could build from the
// text nest no deeper than maxDepth. libplist releases a tree recursively,
// also the half-built one of a file it gives up on, so the nesting must be
// known before it parses.
//
// The count holds whatever a parser skips: an opening tag counts even inside
// a comment or a CDATA section, and a closing tag counts only outside them
// and when it closes the element open at that point. False as well for markup
// that parsers could end at different places: a "<" or a quote left open
// inside a tag, a processing instruction or a declaration, and a declaration
// holding "[" (an internal subset).
bool xmlNestingFits(std::string_view xml, std::size_t maxDepth);

}  // namespace platform::plist
