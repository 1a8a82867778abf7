#pragma once

#include "GMime.hpp"
#include "mailkit/MessageBody.hpp"

namespace mailkit {

// The readable parts of a MIME body as GMime read it. Each text part is
// decoded from its transfer encoding and from its charset: the declared one;
// for HTML without one the charset its <meta> element names; else the one a
// sibling text part declares. A multipart whose boundary never occurs, and a
// part without a Content-Type whose text is a multipart body, are read with
// the boundary their delimiter lines use; failing that only their readable
// lines are kept. Parts nested more deeply than any real mail nests them are
// left out, a mend counting as several levels.
BodyPart readBody(GMimeObject* body);

}  // namespace mailkit
