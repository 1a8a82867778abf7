#pragma once

#include <cstddef>

#include <plist/plist.h>

namespace platform::plist {

// A tree that libplist built, owned and measured. libplist releases it
// recursively, which is safe for what it is given: texts whose nesting
// xmlNestingFits bounded, and property values read within the same bound.
class LibplistTree {
 public:
  explicit LibplistTree(plist_t root);
  ~LibplistTree() { plist_free(root_); }
  LibplistTree(const LibplistTree&) = delete;
  LibplistTree& operator=(const LibplistTree&) = delete;

  plist_t root() const { return root_; }
  std::size_t nodeCount() const { return nodes_; }
  // Levels from the root to its deepest leaf; 1 for a leaf alone.
  std::size_t height() const { return height_; }

 private:
  plist_t root_;
  std::size_t nodes_ = 0;
  std::size_t height_ = 0;
};

}  // namespace platform::plist
