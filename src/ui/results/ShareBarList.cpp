#include "ui/results/ShareBarList.h"

#include "ui/results/TShareBarDelegate.h"

namespace Vellumetric {

QTreeView* MakeShareBarList(QWidget* parent, const QString& name, QAbstractItemModel* model) {
  auto* list = new QTreeView(parent);
  list->setObjectName(name);
  list->setModel(model);
  list->setItemDelegate(new TShareBarDelegate(list));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return list;
}

}  // namespace Vellumetric
