#include "LibplistTree.hpp"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform::plist {
namespace {

// Deeper trees are taken apart by hand; up to this depth plist_free's own
// recursion is safe.
constexpr std::size_t kSafeRecursionDepth = 256;

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

bool hasChildren(plist_t node) {
  const auto type = plist_get_node_type(node);
  return (type == PLIST_ARRAY && plist_array_get_size(node) > 0) ||
         (type == PLIST_DICT && plist_dict_get_size(node) > 0);
}

// The height of every container, worked out children first without recursion.
std::unordered_map<plist_t, std::size_t> heightsOf(plist_t root) {
  std::unordered_map<plist_t, std::size_t> heights;
  struct Step {
    plist_t node;
    std::vector<plist_t> children;
    std::size_t next = 0;
  };
  std::vector<Step> path{{root, childrenOf(root)}};
  while (!path.empty()) {
    Step& step = path.back();
    if (step.next < step.children.size()) {
      plist_t child = step.children[step.next++];
      if (hasChildren(child)) path.push_back({child, childrenOf(child)});
      continue;
    }
    std::size_t tallest = 0;
    for (plist_t child : step.children) {
      auto found = heights.find(child);
      tallest = std::max(tallest, found == heights.end() ? std::size_t{1} : found->second);
    }
    heights[step.node] = tallest + 1;
    path.pop_back();
  }
  return heights;
}

// Releases every child low enough for plist_free whole, and descends into the
// others, emptying them first. A removal costs as much as its container is
// wide, but only containers holding tall children are taken apart one child
// at a time, and few children can be tall.
void releaseDeepTree(plist_t root) {
  const auto heights = heightsOf(root);
  auto isTall = [&](plist_t node) {
    auto found = heights.find(node);
    return hasChildren(node) && found != heights.end() && found->second > kSafeRecursionDepth;
  };
  std::vector<plist_t> path{root};
  while (!path.empty()) {
    plist_t node = path.back();
    if (!hasChildren(node)) {
      path.pop_back();
      continue;
    }
    if (plist_get_node_type(node) == PLIST_ARRAY) {
      plist_t child = plist_array_get_item(node, 0);
      if (isTall(child))
        path.push_back(child);
      else
        plist_array_remove_item(node, 0);
      continue;
    }
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    char* key = nullptr;
    plist_t first = nullptr;
    plist_dict_next_item(node, it, &key, &first);
    std::free(it);
    // What removal by this key would take (a file may repeat a key).
    plist_t child = plist_dict_get_item(node, key);
    if (isTall(child))
      path.push_back(child);
    else
      plist_dict_remove_item(node, key);
    std::free(key);
  }
  plist_free(root);
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

LibplistTree::~LibplistTree() {
  if (height_ <= kSafeRecursionDepth)
    plist_free(root_);
  else
    releaseDeepTree(root_);
}

}  // namespace platform::plist
