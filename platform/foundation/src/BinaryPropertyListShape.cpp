#include "BinaryPropertyListShape.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "BinaryPropertyListObjects.hpp"

namespace platform::plist {

bool binaryPropertyListFits(std::string_view bytes, std::size_t maxNodes, std::size_t maxDepth) {
  const auto table = binary::ObjectTable::read(bytes);
  // Every object of a file is a value of its tree (writers leave out what
  // nothing refers to), so a table of more objects than the tree may hold
  // values is refused before anything is allocated for them.
  if (!table || table->count() > maxNodes) return false;

  // A depth-first walk without recursion that works out, once per object,
  // how many nodes its expanded tree has and how deep it is. An object still
  // on the walk's path that is met again is a cycle.
  enum class State : std::uint8_t { unseen, onPath, done };
  std::vector<State> state(table->count(), State::unseen);
  std::vector<std::uint32_t> expandedNodes(table->count(), 0);
  std::vector<std::uint32_t> height(table->count(), 0);
  struct Step {
    std::uint64_t object;
    std::vector<std::uint64_t> references;
    std::size_t next = 0;
  };
  std::vector<Step> path;

  auto enter = [&](std::uint64_t object) {
    // A container of more elements than the tree may hold values is refused
    // before its references are copied out.
    const auto header = table->headerOf(object);
    if (!header || path.size() >= maxDepth) return false;
    if (header->type >= binary::kArray && header->length >= maxNodes) return false;
    auto references = table->references(object);
    if (!references) return false;
    state[object] = State::onPath;
    path.push_back(Step{object, std::move(*references)});
    return true;
  };
  if (!enter(table->root())) return false;
  while (!path.empty()) {
    Step& step = path.back();
    if (step.next < step.references.size()) {
      const std::uint64_t reference = step.references[step.next++];
      if (state[reference] == State::onPath) return false;
      if (state[reference] == State::unseen && !enter(reference)) return false;
      continue;
    }
    std::uint64_t nodes = 1;
    std::uint32_t tallest = 0;
    for (std::uint64_t reference : step.references) {
      nodes += expandedNodes[reference];
      if (nodes > maxNodes) return false;
      tallest = std::max(tallest, height[reference]);
    }
    if (tallest + 1u > maxDepth) return false;
    expandedNodes[step.object] = static_cast<std::uint32_t>(nodes);
    height[step.object] = tallest + 1;
    state[step.object] = State::done;
    path.pop_back();
  }
  return true;
}

}  // namespace platform::plist
