#pragma once

#include <cstddef>
#include <string_view>

namespace platform::plist {

// Whether a binary property list stays within the limits once expanded into a
// tree. Its objects may be referenced from many places, and the tree holds a
// copy of an object for every reference, so a file of a few hundred bytes can
// stand for billions of nodes; chains of references can also nest deeper than
// the stack allows. False too for a file whose object table cannot be walked:
// a damaged trailer, or a reference or an object outside the file.
// maxNodes stays below 2^32.
bool binaryPropertyListFits(std::string_view bytes, std::size_t maxNodes, std::size_t maxDepth);

}  // namespace platform::plist
