#include "ui/dialogs/options/TGroupListView.h"

#include <QHeaderView>

#include "ui/common/UiMetrics.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

TGroupListView::TGroupListView(QWidget* parent, int dpi) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("ListView1"));
  setColumnCount(2);
  setHeaderLabels({QStringLiteral("File Extension"), QString()});
  setColumnHidden(1, true);  // the group's id, as the item's first sub-item
  setRootIsDecorated(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(true);
  sortByColumn(0, Qt::AscendingOrder);
  header()->setSectionsClickable(false);
  header()->setSortIndicatorShown(false);
  setMinimumSize(Scaled(720, dpi), Scaled(330, dpi));
}

QString TGroupListView::GroupCaption(const TFileExtDescData& group,
                                     const TFileExtList& extensions) {
  std::string list;
  for (const TFileExtData& e : extensions) {
    if (e.DescID != group.ID) continue;
    if (!list.empty()) list += ", ";
    list += "*" + e.Ext;
  }
  return QString::fromStdString(group.Desc + " (" + list + ")");
}

QTreeWidgetItem* TGroupListView::AddGroup(const TFileExtDescData& group,
                                          const TFileExtList& extensions) {
  auto* item = new QTreeWidgetItem(this);
  item->setText(0, GroupCaption(group, extensions));
  item->setText(1, QString::number(group.ID));
  item->setIcon(0, TIconSet::Icon(QStringLiteral("file"), 16));
  return item;
}

void TGroupListView::Fill(const TFileExtDescList& groups, const TFileExtList& extensions) {
  clear();
  for (const TFileExtDescData& group : groups) AddGroup(group, extensions);
}

QTreeWidgetItem* TGroupListView::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

std::int32_t TGroupListView::SelectedGroupIndex(const TFileExtDescList& groups) const {
  const QTreeWidgetItem* item = SelectedItem();
  if (!item) return -1;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (QString::number(groups[i].ID) == item->text(1)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

void TGroupListView::DeleteSelectedItem() {
  delete SelectedItem();
  clearSelection();
}

}  // namespace Vellumetric
