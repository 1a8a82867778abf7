#pragma once

#include <string>

namespace mailkit {

// The text of an HTML mail body as a browser shows it, read by an HTML5
// parser: every named and numeric character reference decoded as the HTML
// standard decodes it, the text of every element kept and the markup of
// none, and what a browser does not show left out (head, title, script,
// style, template, comments, the markup of SVG, MathML and form controls).
// Runs of white space collapse outside <pre>. Block elements stand on lines
// of their own, with no blank line added between them; <br> is a line
// break; table rows are lines, their cells apart by a tab; list items are
// lines, "• " before each, or "1. ", "2. "... in an ordered list; a
// blockquote's lines begin with "> " for each level it is nested in. Links
// keep their text without their address, and nothing is ever fetched.
// Invalid UTF-8 becomes U+FFFD. Never fails.
std::string htmlToPlainText(const std::string& html);

}  // namespace mailkit
