#pragma once

#include <utility>
#include <vector>

#include "model/TNodeTree.h"

namespace Vellumetric {

// Visits `root` and the nodes below it in pre-order, children in their order, with each node's
// depth below `root`; `maxDepth` < 0 means no limit. An explicit stack, so the deepest trees
// cannot overflow the call stack.
template <class Tree, class Visit>
void WalkTree(const Tree& tree, TNodeId root, int maxDepth, Visit visit) {
  std::vector<std::pair<TNodeId, int>> stack{{root, 0}};
  while (!stack.empty()) {
    const auto [node, depth] = stack.back();
    stack.pop_back();
    visit(node, depth);
    if (maxDepth >= 0 && depth >= maxDepth) continue;
    const auto kids = tree.Children(node);
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back({*it, depth + 1});
  }
}

}  // namespace Vellumetric
