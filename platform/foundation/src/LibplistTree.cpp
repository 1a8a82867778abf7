#include "LibplistTree.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace platform::plist {
namespace {

std::vector<plist_t> childrenOf(plist_t node) {
  std::vector<plist_t> children;
  if (plist_get_node_type(node) == PLIST_ARRAY) {
    const uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i) children.push_back(plist_array_get_item(node, i));
  } else if (plist_get_node_type(node) == PLIST_DICT) {
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    for (;;) {
      char* key = nullptr;
      plist_t value = nullptr;
      plist_dict_next_item(node, it, &key, &value);
      std::free(key);
      if (!value) break;
      children.push_back(value);
    }
    std::free(it);
  }
  return children;
}

}  // namespace

LibplistTree::LibplistTree(plist_t root) : root_(root) {
  std::vector<std::pair<plist_t, std::size_t>> pending{{root, 1}};
  while (!pending.empty()) {
    auto [node, depth] = pending.back();
    pending.pop_back();
    ++nodes_;
    height_ = std::max(height_, depth);
    for (plist_t child : childrenOf(node)) pending.emplace_back(child, depth + 1);
  }
}

}  // namespace platform::plist
