#pragma once

#include <QAbstractItemModel>
#include <unordered_map>
#include <vector>

#include "model/TNodeTree.h"

namespace Vellumetric {

// The common part of the views' models: maps Qt's (row, parent) addressing onto a core TNodeTree
// read in place. An index's internal id is the node id. A level's child list is looked up once
// when the view first asks for it, so painting a folder of many thousand subfolders does not walk
// the sibling chain per row. The tree is shown only between Attach() and Detach(): a worker
// fills it meanwhile and no view may read it then.
template <class T>
class TNodeTreeModel : public QAbstractItemModel {
 public:
  explicit TNodeTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

  void Attach(TNodeTree<T>* tree) {
    beginResetModel();
    Tree = tree;
    Levels.clear();
    Rows.clear();
    endResetModel();
  }
  void Detach() { Attach(nullptr); }
  [[nodiscard]] TNodeTree<T>* AttachedTree() const noexcept { return Tree; }

  [[nodiscard]] TNodeId NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TNodeId>(index.internalId()) : NoNode;
  }
  [[nodiscard]] QModelIndex IndexOf(TNodeId node, int column = 0) const {
    if (!Tree || node == NoNode) return {};
    const TNodeId parent = Tree->Parent(node);
    Level(parent);
    return createIndex(Rows.at(node), column, static_cast<quintptr>(node));
  }

  QModelIndex index(int row, int column, const QModelIndex& parent) const override {
    if (!Tree || row < 0 || column < 0 || column >= columnCount(parent)) return {};
    const std::vector<TNodeId>& kids = Level(NodeOf(parent));
    if (static_cast<std::size_t>(row) >= kids.size()) return {};
    return createIndex(row, column, static_cast<quintptr>(kids[static_cast<std::size_t>(row)]));
  }
  QModelIndex parent(const QModelIndex& child) const override {
    if (!Tree || !child.isValid()) return {};
    return IndexOf(Tree->Parent(NodeOf(child)));
  }
  int rowCount(const QModelIndex& parent) const override {
    if (!Tree || parent.column() > 0) return 0;
    return static_cast<int>(Level(NodeOf(parent)).size());
  }
  bool hasChildren(const QModelIndex& parent) const override {
    if (!Tree || parent.column() > 0) return false;
    return Tree->FirstChild(NodeOf(parent)) != NoNode;
  }

 protected:
  // Re-sorts every level by a numeric key, keeping the view's current and selected nodes (and its
  // expanded folders) on the same nodes.
  template <class Key>
  void SortTree(Key key, bool descending) {
    if (!Tree) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<TNodeId> nodes;
    nodes.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& i : before) nodes.push_back(NodeOf(i));
    Tree->SortAllByKey(key, descending);
    Levels.clear();
    Rows.clear();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
      after.push_back(IndexOf(nodes[static_cast<std::size_t>(i)], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }

  TNodeTree<T>* Tree = nullptr;

 private:
  const std::vector<TNodeId>& Level(TNodeId parent) const {
    auto it = Levels.find(parent);
    if (it != Levels.end()) return it->second;
    std::vector<TNodeId> kids = Tree->Children(parent);
    for (std::size_t i = 0; i < kids.size(); ++i) Rows[kids[i]] = static_cast<int>(i);
    return Levels.emplace(parent, std::move(kids)).first->second;
  }

  mutable std::unordered_map<TNodeId, std::vector<TNodeId>> Levels;
  mutable std::unordered_map<TNodeId, int> Rows;
};

}  // namespace Vellumetric
