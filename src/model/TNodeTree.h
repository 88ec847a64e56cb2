#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <exception>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace Vellumetric {

using TNodeId = std::uint32_t;
inline constexpr TNodeId NoNode = std::numeric_limits<TNodeId>::max();

// A tree of records with parent links and ordered children: what the views present and the
// workers fill. Nodes are addressed by id; ids stay valid until Clear(). Children are linked
// rather than held in per-node vectors, which keeps a node at three words over its record; a
// deque keeps growth free of copies and of the old-plus-new peak of a vector.
// A node keeps its last child, not its first: the children form a ring, the last one linking
// back to the first with EndBit set, so appending stays O(1) without a fourth link per node
// (a summary page holds one node per typed file). Ids therefore stay below EndBit.
template <class T>
class TNodeTree {
 public:
  [[nodiscard]] std::size_t Count() const noexcept { return Nodes.size(); }
  [[nodiscard]] bool Empty() const noexcept { return Nodes.empty(); }

  void Clear() {
    std::deque<TNode>().swap(Nodes);
    LastTop = NoNode;
  }

  // Appends a node after the existing children of `parent` (a top-level node when NoNode).
  TNodeId AddChild(TNodeId parent, T data) {
    if (Nodes.size() >= EndBit) throw std::length_error("TNodeTree: too many nodes");
    const auto id = static_cast<TNodeId>(Nodes.size());
    const TNodeId last = LastOf(parent);
    // The new node closes the ring: it links to the first child, or to itself when it is the
    // first.
    const TNodeId next = last == NoNode ? (id | EndBit) : Nodes[last].Next;
    Nodes.push_back(TNode{std::move(data), parent, NoNode, next});
    if (last != NoNode) Nodes[last].Next = id;
    LastOf(parent) = id;
    return id;
  }

  // Unlinks every child of `id`: they and their subtrees stay in the store, unreachable, until
  // Clear(), so every other id stays valid (a folder scanned again gets new children).
  void DetachChildren(TNodeId id) { LastOf(id) = NoNode; }

  [[nodiscard]] T& Data(TNodeId id) { return Nodes[id].Data; }
  [[nodiscard]] const T& Data(TNodeId id) const { return Nodes[id].Data; }
  [[nodiscard]] TNodeId Parent(TNodeId id) const { return Nodes[id].Parent; }
  [[nodiscard]] TNodeId NextSibling(TNodeId id) const {
    const TNodeId next = Nodes[id].Next;
    return (next & EndBit) != 0 ? NoNode : next;
  }
  // NoNode gives the first top-level node.
  [[nodiscard]] TNodeId FirstChild(TNodeId id) const {
    const TNodeId last = id == NoNode ? LastTop : Nodes[id].LastChild;
    return last == NoNode ? NoNode : Nodes[last].Next & ~EndBit;
  }

  [[nodiscard]] std::vector<TNodeId> Children(TNodeId id) const {
    std::vector<TNodeId> result;
    for (TNodeId c = FirstChild(id); c != NoNode; c = NextSibling(c)) result.push_back(c);
    return result;
  }

  // Reorders every level by a numeric key of the records, largest first when `descending`;
  // equal keys keep the order they had. The keys are read once per node, which keeps a sort of a
  // few hundred thousand records well inside a frame of the interface.
  // With `threads` above one, each thread orders the levels of its own share of the parents (the
  // key must then be safe to call from several threads): a level's links belong to its parent
  // alone, so the shares touch no common link. The order is the same whatever the number.
  template <class Key>
  void SortAllByKey(Key key, bool descending, unsigned threads = 1) {
    const std::size_t count = Nodes.size();
    // Below some thousands of parents a thread costs more than it saves.
    threads =
        static_cast<unsigned>(std::clamp<std::size_t>(count / 16384, 1, std::max(threads, 1U)));
    std::vector<std::jthread> helpers;  // joined however this function is left
    std::vector<std::exception_ptr> errors(threads);
    const auto share = [&](unsigned t) {
      try {
        SortLevelsByKey(key, descending, count * t / threads, count * (t + 1) / threads, t == 0);
      } catch (...) {
        errors[t] = std::current_exception();
      }
    };
    for (unsigned t = 1; t < threads; ++t) {
      try {
        helpers.emplace_back(share, t);
      } catch (const std::system_error&) {
        share(t);  // no thread to be had: this one does that share too
      }
    }
    share(0);
    helpers.clear();
    for (const std::exception_ptr& error : errors) {
      if (error) std::rethrow_exception(error);
    }
  }

  template <class Less>
  void SortAll(Less less) {
    std::vector<TNodeId> kids;  // one buffer for every level
    SortLevel(NoNode, less, kids);
    for (TNodeId id = 0; id < Nodes.size(); ++id) {
      // Most nodes are leaves or only children: nothing to order.
      if (HasTwoChildren(id)) SortLevel(id, less, kids);
    }
  }

 private:
  // Orders the levels below the parents with ids in [from, to), and the top level when asked.
  template <class Key>
  void SortLevelsByKey(Key& key, bool descending, std::size_t from, std::size_t to, bool top) {
    // The position is the last key, so an in-place sort gives the stable order without the
    // merge buffer of a stable sort; the buffer is sized once per larger level, exactly, as a
    // page's largest group can hold a hundred thousand files.
    struct TKeyed {
      decltype(key(std::declval<const T&>())) Value;
      TNodeId Position;
      TNodeId Id;
    };
    std::vector<TKeyed> keyed;
    const auto level = [&](TNodeId parent) {
      std::size_t count = 0;
      for (TNodeId c = FirstChild(parent); c != NoNode; c = NextSibling(c)) ++count;
      if (count < 2) return;
      keyed.clear();
      if (count > keyed.capacity()) {
        std::vector<TKeyed>().swap(keyed);  // freed before the larger one is made
        keyed.reserve(count);
      }
      for (TNodeId c = FirstChild(parent); c != NoNode; c = NextSibling(c)) {
        keyed.push_back({key(Nodes[c].Data), static_cast<TNodeId>(keyed.size()), c});
      }
      if (descending) {
        std::sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
          return a.Value != b.Value ? a.Value > b.Value : a.Position < b.Position;
        });
      } else {
        std::sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
          return a.Value != b.Value ? a.Value < b.Value : a.Position < b.Position;
        });
      }
      LinkInOrder(parent, keyed.size(), [&](std::size_t i) { return keyed[i].Id; });
    };
    if (top) level(NoNode);
    for (auto id = static_cast<TNodeId>(from); id < to; ++id) {
      if (HasTwoChildren(id)) level(id);
    }
  }

  // Marks the link from a last child back to the first.
  static constexpr TNodeId EndBit = 0x80000000u;

  struct TNode {
    T Data;
    TNodeId Parent;
    TNodeId LastChild;
    TNodeId Next;  // the next sibling, or the first one with EndBit set
  };

  TNodeId& LastOf(TNodeId parent) { return parent == NoNode ? LastTop : Nodes[parent].LastChild; }

  [[nodiscard]] bool HasTwoChildren(TNodeId id) const {
    const TNodeId last = Nodes[id].LastChild;
    return last != NoNode && (Nodes[last].Next & ~EndBit) != last;
  }

  // Links `count` children in the order `at(0)`, `at(1)`, ... under `parent`.
  template <class At>
  void LinkInOrder(TNodeId parent, std::size_t count, At at) {
    for (std::size_t i = 0; i + 1 < count; ++i) Nodes[at(i)].Next = at(i + 1);
    Nodes[at(count - 1)].Next = at(0) | EndBit;
    LastOf(parent) = at(count - 1);
  }

  template <class Less>
  void SortLevel(TNodeId parent, Less& less, std::vector<TNodeId>& kids) {
    kids.clear();
    for (TNodeId c = FirstChild(parent); c != NoNode; c = NextSibling(c)) kids.push_back(c);
    if (kids.size() < 2) return;
    std::stable_sort(kids.begin(), kids.end(),
                     [&](TNodeId a, TNodeId b) { return less(Nodes[a].Data, Nodes[b].Data); });
    LinkInOrder(parent, kids.size(), [&](std::size_t i) { return kids[i]; });
  }

  std::deque<TNode> Nodes;
  TNodeId LastTop = NoNode;
};

}  // namespace Vellumetric
