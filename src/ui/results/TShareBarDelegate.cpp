#include "ui/results/TShareBarDelegate.h"

#include "ui/paint/ShareBarPainter.h"

namespace Vellumetric {

void TShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  if (index.column() == 0) {
    const QVariant share = index.data(ShareBarRole);
    if (share.isValid()) {
      // The colour the text will be drawn in: the bar makes room for it. (A selected row's
      // highlight covers the bar, and its text is drawn on the highlight; a disabled view's dim
      // text is meant to be dim.)
      const QPalette::ColorGroup group =
          option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
      const QVariant own = index.data(Qt::ForegroundRole);
      const QColor text = own.canConvert<QBrush>() && own.value<QBrush>().style() != Qt::NoBrush
                              ? own.value<QBrush>().color()
                              : option.palette.color(group, QPalette::Text);
      PaintShareBar(*painter, option.rect, share.toDouble(), text);
    }
  }
  QStyledItemDelegate::paint(painter, option, index);
}

}  // namespace Vellumetric
