#pragma once

#include <string>
#include <string_view>

// Our own reader of encoded words: GMime 3.2, as Debian 12 ships it, joins
// the Base64 of words side by side before decoding it, so it stops at the
// first word's padding (of "Hello" and " Mars" it reads "Hello") and reads an
// unpadded word's leftover bits into the next.
namespace mailkit {

// A header field's text as people read it, in UTF-8, on one line: folding
// undone, encoded words decoded (a line break in one becomes a space) and the
// white space between two of them dropped, the rest read as UTF-8 when it is
// valid UTF-8, else by `textInUTF8` in `eightBitCharset` (the charset of the
// message's text part: older mail programs write raw header text in it), if
// given. Encoded words that stand side by
// side in one charset are joined as bytes before they are converted, since a
// character may be split across two of them, and each Base64 word is read on
// its own, padded or not.
std::string decodedHeaderText(std::string_view raw, std::string_view eightBitCharset = {});

// A structured field (an address list) decoded the same way, each run of
// encoded words given back as one UTF-8 encoded word, so that an address
// reader that decodes names itself reads the run whole and no decoded
// character changes the field's structure.
std::string withEncodedWordsJoined(std::string_view raw, std::string_view eightBitCharset = {});

}  // namespace mailkit
