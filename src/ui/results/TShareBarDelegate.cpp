#include "ui/results/TShareBarDelegate.h"

#include "ui/paint/ShareBarPainter.h"

namespace Vellumetric {

void TShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  if (index.column() == 0) {
    const QVariant share = index.data(ShareBarRole);
    if (share.isValid()) {
      PaintShareBar(*painter, option.rect, share.toDouble());
    }
  }
  QStyledItemDelegate::paint(painter, option, index);
}

}  // namespace Vellumetric
