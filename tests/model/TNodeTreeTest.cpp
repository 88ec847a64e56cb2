#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/TFolderData.h"

namespace Vellumetric {
namespace {

std::vector<std::string> Names(const TFolderTree& tree, TNodeId parent) {
  std::vector<std::string> names;
  for (TNodeId c : tree.Children(parent)) names.emplace_back(tree.Data(c).Name());
  return names;
}

TNodeId Add(TFolderTree& tree, TNodeId parent, const std::string& name, std::uint64_t size) {
  TFolderData d;
  d.Path = TPathText(name);  // a whole path is its own name
  d.Size = size;
  return tree.AddChild(parent, d);
}

TEST(TNodeTree, ChildrenKeepInsertionOrderAndParentLinks) {
  TFolderTree tree;
  const TNodeId root = Add(tree, NoNode, "root", 0);
  const TNodeId a = Add(tree, root, "a", 0);
  const TNodeId second = Add(tree, NoNode, "second root", 0);
  Add(tree, a, "a1", 0);
  Add(tree, root, "b", 0);
  EXPECT_EQ(Names(tree, NoNode), (std::vector<std::string>{"root", "second root"}));
  EXPECT_EQ(Names(tree, root), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(tree.Parent(a), root);
  EXPECT_EQ(tree.Parent(root), NoNode);
  EXPECT_EQ(tree.FirstChild(second), NoNode);
  tree.Clear();
  EXPECT_TRUE(tree.Empty());
  EXPECT_EQ(tree.FirstChild(NoNode), NoNode);
}

// root 10: small 1, tie1 5, big 9 (x 1, y 3), tie2 5 — in that order of insertion.
TNodeId TiesTree(TFolderTree& tree, TNodeId& big) {
  const TNodeId root = Add(tree, NoNode, "root", 10);
  Add(tree, root, "small", 1);
  Add(tree, root, "tie1", 5);
  big = Add(tree, root, "big", 9);
  Add(tree, root, "tie2", 5);
  Add(tree, big, "x", 1);
  Add(tree, big, "y", 3);
  return root;
}

TEST(TNodeTree, SortAllOrdersEveryLevelAndKeepsTiesStable) {
  TFolderTree tree;
  TNodeId big = NoNode;
  const TNodeId root = TiesTree(tree, big);
  tree.SortAll([](const TFolderData& a, const TFolderData& b) { return a.Size > b.Size; });
  EXPECT_EQ(Names(tree, root), (std::vector<std::string>{"big", "tie1", "tie2", "small"}));
  EXPECT_EQ(Names(tree, big), (std::vector<std::string>{"y", "x"}));
  // Appending after a sort still goes to the end.
  Add(tree, root, "late", 100);
  EXPECT_EQ(Names(tree, root), (std::vector<std::string>{"big", "tie1", "tie2", "small", "late"}));
}

TEST(TNodeTree, SortByKeyBothWaysKeepsTiesStable) {
  TFolderTree tree;
  TNodeId big = NoNode;
  const TNodeId root = TiesTree(tree, big);
  const auto size = [](const TFolderData& f) { return f.Size; };
  tree.SortAllByKey(size, true);
  EXPECT_EQ(Names(tree, root), (std::vector<std::string>{"big", "tie1", "tie2", "small"}));
  EXPECT_EQ(Names(tree, big), (std::vector<std::string>{"y", "x"}));
  tree.SortAllByKey(size, false);  // ties keep the order the last sort left
  EXPECT_EQ(Names(tree, root), (std::vector<std::string>{"small", "tie1", "tie2", "big"}));
  EXPECT_EQ(Names(tree, big), (std::vector<std::string>{"x", "y"}));
  Add(tree, root, "late", 0);
  EXPECT_EQ(Names(tree, root), (std::vector<std::string>{"small", "tie1", "tie2", "big", "late"}));
}

// Enough ties that a sort which is not stable would show it: equal sizes must keep the order
// they were added in, whichever way the level is sorted.
TEST(TNodeTree, SortByKeyKeepsTheOrderOfManyTies) {
  TFolderTree tree;
  const TNodeId root = Add(tree, NoNode, "root", 0);
  for (int i = 0; i < 300; ++i)
    Add(tree, root, std::to_string(i), static_cast<std::uint64_t>(i % 3));
  const auto inOrderWithinTies = [&](bool descending) {
    const std::vector<TNodeId> kids = tree.Children(root);
    if (kids.size() != 300) return false;
    for (std::size_t k = 1; k < kids.size(); ++k) {
      const TFolderData& a = tree.Data(kids[k - 1]);
      const TFolderData& b = tree.Data(kids[k]);
      if (a.Size == b.Size ? std::stoi(std::string(a.Name())) > std::stoi(std::string(b.Name()))
                           : (a.Size < b.Size) == descending) {
        return false;
      }
    }
    return true;
  };
  const auto size = [](const TFolderData& f) { return f.Size; };
  tree.SortAllByKey(size, true);
  EXPECT_TRUE(inOrderWithinTies(true));
  tree.SortAllByKey(size, false);
  EXPECT_TRUE(inOrderWithinTies(false));
}

// Shared among threads, each level still comes out as a stable sort leaves it: a tree big enough
// to be split, with parents and their children scattered across the shares and many ties.
TEST(TNodeTree, SortByKeyOnSeveralThreadsOrdersAsAStableSortDoes) {
  TFolderTree byKey;
  TFolderTree stable;
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1664525U + 1013904223U; };
  for (TFolderTree* tree : {&byKey, &stable}) {
    seed = 12345;
    Add(*tree, NoNode, "root", 0);
    Add(*tree, NoNode, "second root", 7);
    for (int i = 0; i < 100000; ++i) {
      const TNodeId parent = static_cast<TNodeId>(next() % tree->Count());
      Add(*tree, parent, std::to_string(i), (next() >> 8) % 50);
    }
  }
  byKey.SortAllByKey([](const TFolderData& f) { return f.Size; }, true, 4);
  stable.SortAll([](const TFolderData& a, const TFolderData& b) { return a.Size > b.Size; });
  ASSERT_EQ(Names(byKey, NoNode), Names(stable, NoNode));
  for (TNodeId id = 0; id < byKey.Count(); ++id) ASSERT_EQ(Names(byKey, id), Names(stable, id));
}

}  // namespace
}  // namespace Vellumetric
