#pragma once

#include "GMime.hpp"
#include "mailkit/MessageBody.hpp"

namespace mailkit {

// The readable parts of a MIME body as GMime read it. Each text part is
// decoded from its transfer encoding and from its charset: the declared one;
// for HTML without one, or with one that reads it poorly, the charset its
// <meta> element names; without either, the one a sibling text part
// declares. A message inside it that is no attachment (forwarded, returned,
// of a digest) is read in place, as the message itself is: its header block
// (From, Date, Subject, To), then its body. A part with several Content-Type
// fields is read with the one a reader takes. A multipart's own transfer encoding means
// nothing: each part inside keeps its own. A part marked inline is read, file
// name or not; a named part without a disposition is a file. A multipart
// whose boundary never occurs, and a part without a Content-Type whose text
// is a multipart body, are read with the boundary their delimiter lines use;
// failing that only their readable lines are kept. Text is reached at any
// depth; multiparts nested more deeply than real mail nests them join the one
// that holds them, so that the parts handed on stay shallow. `bodySize`, the
// length of the MIME entity read, bounds what mending and the messages inside
// it may read again; a message past that bound is a notice that it is left out.
BodyPart readBody(GMimeObject* body, std::size_t bodySize);

// The charset that the first text part of a MIME body is read in, or "":
// the one it declares; for HTML without a label, or with one that reads it
// poorly, the one its <meta> names. Older mail programs write raw 8-bit
// header text in it too.
std::string textPartCharset(GMimeObject* body);

}  // namespace mailkit
