#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

namespace Vellumetric {

using TNodeId = std::uint32_t;
inline constexpr TNodeId NoNode = std::numeric_limits<TNodeId>::max();

// A tree of records with parent links and ordered children: what the views present and the
// workers fill. Nodes are addressed by id; ids stay valid until Clear(). Children are linked
// rather than held in per-node vectors, which keeps a node at a few words over its record; a
// deque keeps growth free of copies and of the old-plus-new peak of a vector.
template <class T>
class TNodeTree {
 public:
  [[nodiscard]] std::size_t Count() const noexcept { return Nodes.size(); }
  [[nodiscard]] bool Empty() const noexcept { return Nodes.empty(); }

  void Clear() {
    std::deque<TNode>().swap(Nodes);
    FirstTop = LastTop = NoNode;
  }

  // Appends a node after the existing children of `parent` (a top-level node when NoNode).
  TNodeId AddChild(TNodeId parent, T data) {
    const auto id = static_cast<TNodeId>(Nodes.size());
    Nodes.push_back(TNode{std::move(data), parent, NoNode, NoNode, NoNode});
    TNodeId& first = parent == NoNode ? FirstTop : Nodes[parent].FirstChild;
    TNodeId& last = parent == NoNode ? LastTop : Nodes[parent].LastChild;
    if (last == NoNode) {
      first = id;
    } else {
      Nodes[last].NextSibling = id;
    }
    last = id;
    return id;
  }

  [[nodiscard]] T& Data(TNodeId id) { return Nodes[id].Data; }
  [[nodiscard]] const T& Data(TNodeId id) const { return Nodes[id].Data; }
  [[nodiscard]] TNodeId Parent(TNodeId id) const { return Nodes[id].Parent; }
  [[nodiscard]] TNodeId NextSibling(TNodeId id) const { return Nodes[id].NextSibling; }
  // NoNode gives the first top-level node.
  [[nodiscard]] TNodeId FirstChild(TNodeId id) const {
    return id == NoNode ? FirstTop : Nodes[id].FirstChild;
  }

  [[nodiscard]] std::vector<TNodeId> Children(TNodeId id) const {
    std::vector<TNodeId> result;
    for (TNodeId c = FirstChild(id); c != NoNode; c = Nodes[c].NextSibling) result.push_back(c);
    return result;
  }

  // Reorders every level with a stable sort, so equal records keep the order they had.
  // Reorders every level by a numeric key of the records, largest first when `descending`, with
  // a stable sort; the keys are read once per node, which keeps a sort of a few hundred thousand
  // records well inside a frame of the interface.
  template <class Key>
  void SortAllByKey(Key key, bool descending) {
    std::vector<std::pair<decltype(key(std::declval<const T&>())), TNodeId>> keyed;
    const auto level = [&](TNodeId parent) {
      keyed.clear();
      for (TNodeId c = FirstChild(parent); c != NoNode; c = Nodes[c].NextSibling) {
        keyed.emplace_back(key(Nodes[c].Data), c);
      }
      if (keyed.size() < 2) return;
      if (descending) {
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
      } else {
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
      }
      Relink(parent, keyed);
    };
    level(NoNode);
    for (TNodeId id = 0; id < Nodes.size(); ++id) {
      const TNodeId first = Nodes[id].FirstChild;
      if (first != NoNode && Nodes[first].NextSibling != NoNode) level(id);
    }
  }

  template <class Less>
  void SortAll(Less less) {
    std::vector<TNodeId> kids;  // one buffer for every level
    SortLevel(NoNode, less, kids);
    for (TNodeId id = 0; id < Nodes.size(); ++id) {
      // Most nodes are leaves or only children: nothing to order.
      const TNodeId first = Nodes[id].FirstChild;
      if (first != NoNode && Nodes[first].NextSibling != NoNode) SortLevel(id, less, kids);
    }
  }

 private:
  struct TNode {
    T Data;
    TNodeId Parent;
    TNodeId FirstChild;
    TNodeId LastChild;
    TNodeId NextSibling;
  };

  template <class Less>
  void SortLevel(TNodeId parent, Less& less, std::vector<TNodeId>& kids) {
    kids.clear();
    for (TNodeId c = FirstChild(parent); c != NoNode; c = Nodes[c].NextSibling) kids.push_back(c);
    if (kids.size() < 2) return;
    std::stable_sort(kids.begin(), kids.end(),
                     [&](TNodeId a, TNodeId b) { return less(Nodes[a].Data, Nodes[b].Data); });
    TNodeId& first = parent == NoNode ? FirstTop : Nodes[parent].FirstChild;
    TNodeId& last = parent == NoNode ? LastTop : Nodes[parent].LastChild;
    first = kids.front();
    last = kids.back();
    for (std::size_t i = 0; i + 1 < kids.size(); ++i) Nodes[kids[i]].NextSibling = kids[i + 1];
    Nodes[kids.back()].NextSibling = NoNode;
  }

  template <class Keyed>
  void Relink(TNodeId parent, const Keyed& keyed) {
    TNodeId& first = parent == NoNode ? FirstTop : Nodes[parent].FirstChild;
    TNodeId& last = parent == NoNode ? LastTop : Nodes[parent].LastChild;
    first = keyed.front().second;
    last = keyed.back().second;
    for (std::size_t i = 0; i + 1 < keyed.size(); ++i) {
      Nodes[keyed[i].second].NextSibling = keyed[i + 1].second;
    }
    Nodes[keyed.back().second].NextSibling = NoNode;
  }

  std::deque<TNode> Nodes;
  TNodeId FirstTop = NoNode;
  TNodeId LastTop = NoNode;
};

}  // namespace Vellumetric
