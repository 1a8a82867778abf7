#pragma once

#include <string>
#include <string_view>

namespace mailkit {

// The HTML as gumbo can parse it in linear time. Gumbo 0.10.1 (Debian 12)
// takes quadratic time, and for some mail far longer, on markup no browser
// trips over: each start tag walks the whole stack of open elements (so
// deeply nested elements cost the square of their depth), it reopens every
// unclosed formatting element (<b>, <font>, <a>...) in each new paragraph,
// checks each attribute against all earlier ones of its element (of a tag
// the text ends inside too, which it then drops), and frees its tree by
// recursion as deep as the tree. Before the text is parsed, therefore:
// formatting elements' tags are left out (they change no text), html and
// body tags and tags with more than a few dozen attributes lose their
// attributes, a tag the text ends inside goes, and start tags that would
// nest elements more deeply than any real mail does are left out. The depth is reckoned as gumbo's parser
// would build it, never less, so that no markup gets past the bound; text is
// never removed. Tidy HTML comes back unchanged but for the formatting tags.
std::string boundedHTML(std::string_view html);

}  // namespace mailkit
