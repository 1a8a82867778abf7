#pragma once

#include <string>

namespace quorbel {

// The plain characters of a mail body that may be HTML. Text without any HTML
// element is returned as it is (mail bodies are often plain text, whose line
// breaks and angle brackets must survive). HTML gets its block elements and
// <br> as line breaks, runs of white space collapsed outside <pre>, list
// items bulleted, table cells tab-separated, script, style and title content
// dropped, and character references decoded exactly once. Tags that are not
// HTML elements, such as "<name@example.com>", stay as text. Nothing is ever
// fetched. Invalid UTF-8 becomes U+FFFD. Never fails.
std::string htmlToPlainText(const std::string& text);

}  // namespace quorbel
