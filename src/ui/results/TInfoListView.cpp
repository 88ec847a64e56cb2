#include "ui/results/TInfoListView.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "ui/services/TIconSet.h"

namespace Vellumetric {
namespace {

constexpr int kIndentRole = Qt::UserRole + 1;
constexpr int kIndentStep = 16;

// Shifts the Field column right by the row's indent level, as a list view indents items.
class TIndentDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem shifted(option);
    if (index.column() == 0)
      shifted.rect.adjust(index.data(kIndentRole).toInt() * kIndentStep, 0, 0, 0);
    QStyledItemDelegate::paint(painter, shifted, index);
  }
};

}  // namespace

TInfoListView::TInfoListView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("ListView1"));
  setColumnCount(2);
  setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
  header()->setSectionsClickable(false);
  header()->setStretchLastSection(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  setItemDelegate(new TIndentDelegate(this));
  setColumnWidth(0, 340);
  setColumnWidth(1, 146);
}

void TInfoListView::ShowRows(const std::vector<TInfoPageRow>& rows, int fieldWidth,
                             int valueWidth) {
  static const QString kImages[] = {QStringLiteral("heading"), QStringLiteral("yes"),
                                    QStringLiteral("no")};
  clear();
  for (const TInfoPageRow& row : rows) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(row.Field));
    item->setText(1, QString::fromStdString(row.Value));
    item->setData(0, kIndentRole, row.Indent);
    // The blank line between two sections is read out as what it is.
    if (row.Field.empty() && row.Value.empty()) {
      item->setData(0, Qt::AccessibleTextRole, QStringLiteral("End of section"));
    }
    if (row.Image >= 0 && row.Image <= 2) item->setIcon(0, TIconSet::Icon(kImages[row.Image], 16));
  }
  // The page's widths are a minimum: a caption that the font of this system draws wider than
  // the designer's gets the room to show in full.
  FieldWidth = fieldWidth;
  ValueWidth = valueWidth;
  FitColumns();
}

void TInfoListView::FitColumns() {
  const int field = std::max(FieldWidth, sizeHintForColumn(0) + kIndentStep);
  setColumnWidth(0, field);
  // Values are short: when the page is narrower than both widths, the value column gives way
  // rather than making the page scroll sideways.
  const int room = viewport()->width() - field;
  setColumnWidth(1, room > 0 && room < ValueWidth ? std::max(room, 60) : ValueWidth);
}

void TInfoListView::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  FitColumns();
}

QString TInfoListView::Cell(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->text(column) : QString();
}

}  // namespace Vellumetric
