#include "exclude/FolderRuleCheck.h"

#include <algorithm>
#include <string>

namespace Vellumetric {

std::vector<TNodeId> FoldersRulesLeaveOut(const TFolderTree& tree, const TExclusionRules& rules,
                                          std::size_t limit, const std::function<bool()>& stop) {
  std::vector<TNodeId> found;
  if (rules.Empty()) return found;
  std::vector<TNodeId> stack;
  // Scan roots are what the user asked for: only what lies below them is checked.
  for (TNodeId top = tree.FirstChild(NoNode); top != NoNode; top = tree.NextSibling(top)) {
    for (TNodeId c = tree.FirstChild(top); c != NoNode; c = tree.NextSibling(c)) {
      stack.push_back(c);
    }
  }
  std::reverse(stack.begin(), stack.end());
  while (!stack.empty() && found.size() < limit) {
    if (stop && stop()) break;
    const TNodeId node = stack.back();
    stack.pop_back();
    const TFolderData& d = tree.Data(node);
    if (rules.Excludes(d.Name(), rules.NeedsPath(false) ? d.Path.Str() : std::string())) {
      found.push_back(node);
      continue;
    }
    const std::size_t at = stack.size();
    for (TNodeId c = tree.FirstChild(node); c != NoNode; c = tree.NextSibling(c)) {
      stack.push_back(c);
    }
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(at), stack.end());
  }
  return found;
}

bool AnyFolderExcluded(const TFolderTree& tree) {
  for (TNodeId n = 0; n < tree.Count(); ++n) {
    if (tree.Data(n).Excluded) return true;
  }
  return false;
}

std::uint32_t ExcludedFoldersBelow(const TFolderTree& tree, TNodeId node) {
  std::uint32_t count = 0;
  std::vector<TNodeId> stack{node};
  while (!stack.empty()) {
    const TNodeId n = stack.back();
    stack.pop_back();
    if (tree.Data(n).Excluded) ++count;
    for (TNodeId c = tree.FirstChild(n); c != NoNode; c = tree.NextSibling(c)) stack.push_back(c);
  }
  return count;
}

}  // namespace Vellumetric
