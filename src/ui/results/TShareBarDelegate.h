#pragma once

#include <QStyledItemDelegate>

namespace Vellumetric {

// Paints the bar of column 0 before the cell's own content, so the text stays on top.
class TShareBarDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace Vellumetric
