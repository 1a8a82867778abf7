#pragma once

// What the mail reader needs of GMime: the library started once, and owners
// for the objects and strings it hands out.

#include <gmime/gmime.h>

#include <memory>
#include <string>
#include <string_view>

namespace mailkit::gmime {

// Starts the library the first time it is called, from any thread.
void initialise();

// Whether a part is a mail message (message/rfc822, global or news). GMime
// keeps such parts as they stand, their content unread: a message inside a
// message is read as the message itself is, by our own reader, where GMime
// would read its address fields as it builds it, following groups inside
// groups by recursion.
bool isMessage(GMimeObject* object);

// How every header, parameter and address is read: encoded words decoded
// only where they stand as words of their own. GMime's looser reading looks
// for the end of each "=?" as far as the end of the text, which takes
// quadratic time on a hostile field; the encoded words of whole fields are
// decoded by our own reader in any case.
GMimeParserOptions* parserOptions();

struct ObjectRelease {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Object = std::unique_ptr<T, ObjectRelease>;

// GMime's reading of a MIME entity: its header fields, a blank line, its
// body. Null when GMime reads nothing. The parts read from a stream read
// their content from it where it stands, holding the stream.
Object<GMimeObject> parsedEntity(std::string_view entity);
Object<GMimeObject> parsedEntity(GMimeStream* entity);

// Takes a string GMime allocated; null becomes the empty string.
std::string take(char* text);

}  // namespace mailkit::gmime
