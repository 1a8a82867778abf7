#pragma once

#include <string>
#include <string_view>

namespace mailkit {

// Text of a mail part or header in its charset, as UTF-8: decoded with the
// declared charset when that charset takes every byte; otherwise, and with
// no or an unknown charset, as UTF-8 when the bytes are valid UTF-8, else as
// windows-1252, which takes every byte. Bytes carrying ISO-2022 escapes are
// read as ISO-2022-JP when the declared charset leaves the escapes standing
// (Japanese mail labelled as ASCII, or not labelled at all). NUL characters
// are dropped: they end the text for most readers and mean nothing in mail.
std::string textInUTF8(std::string_view bytes, std::string_view charset);

}  // namespace mailkit
