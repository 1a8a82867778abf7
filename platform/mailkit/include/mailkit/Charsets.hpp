#pragma once

#include <string>
#include <string_view>

namespace mailkit {

// Text of a mail part or header in its charset, as UTF-8, read as a mail
// reader reads it: with the declared charset when that reads the bytes well,
// a sequence it does not take read as U+FFFD; when it reads them poorly
// (most of the characters outside ASCII stray bytes not valid in it; a cut
// UTF-8 character does not count), is unknown or not given, with
// `nextCharset` (a part's own idea of its charset, such as an HTML part's
// <meta>), then as UTF-8 when the bytes are valid UTF-8, else as
// windows-1252, which takes nearly every byte. Bytes that are valid UTF-8
// with characters outside ASCII are read as UTF-8 whenever a charset would
// replace any of them. Bytes carrying ISO-2022 escapes are read as
// ISO-2022-JP when the declared charset leaves the escapes standing
// (Japanese mail labelled as ASCII, or not labelled at all). NUL characters
// are dropped: they end the text for most readers and mean nothing in mail.
std::string textInUTF8(std::string_view bytes, std::string_view charset, std::string_view nextCharset = {});

// Whether `textInUTF8` keeps the charset for the bytes: it reads them well.
bool readsWell(std::string_view bytes, std::string_view charset);

}  // namespace mailkit
