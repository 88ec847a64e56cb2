#include "ui/results/statistics/TBarChartView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace Vellumetric {

TBarChartView::TBarChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  // Small, so that the tab never makes the window larger than its other pages do.
  setMinimumSize(100, 50);
}

void TBarChartView::SetBars(TBars bars) {
  Data = std::move(bars);
  Hot = -1;
  update();
}

TBarChartPicture TBarChartView::CurrentPicture() const {
  const QFontMetricsF metrics(font());
  TBarChartFrame frame;
  frame.Width = width();
  frame.Height = height();
  frame.TextHeight = metrics.height();
  frame.Margin = std::max(3.0, metrics.height() / 4);
  frame.Y = metrics.height() + 2;                            // the title's line
  if (!Data.MarkSizes.empty()) frame.Y += metrics.height();  // and the marks' labels
  frame.Height -= frame.Y;
  frame.Bytes = Data.Bytes;
  for (const QString& label : Data.Labels) {
    frame.BarLabelWidth = std::max(frame.BarLabelWidth, metrics.horizontalAdvance(label));
  }
  TBarChartPicture picture;
  picture.Title = Data.Title;
  picture.BarLabels = Data.Labels;
  picture.HotBar = Hot;
  // The value labels are known only with the marks, which depend on the labels' width: measure
  // with the largest value's label, which is about the widest.
  const double largest =
      Data.Values.empty() ? 0 : *std::max_element(Data.Values.begin(), Data.Values.end());
  const auto text = [this](double v) {
    return ValueText ? ValueText(v) : QString::number(v, 'g', 6);
  };
  frame.ValueLabelWidth = metrics.horizontalAdvance(text(largest * 1.25)) + 2;
  picture.Layout = LayoutBarChart(Data.Values, frame);
  for (const TBarChartTick& t : picture.Layout.Ticks) picture.TickLabels << text(t.Value);
  for (std::size_t i = 0; i < Data.MarkSizes.size(); ++i) {
    picture.Marks.push_back({HistogramX(picture.Layout, Data.MarkSizes[i]),
                             Data.MarkLabels.value(static_cast<qsizetype>(i)),
                             static_cast<int>(i) == Data.StrongMark});
  }
  return picture;
}

void TBarChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const TBarChartColours colours = TBarChartColours::For(palette());
  if (Data.Values.empty()) {
    painter.setPen(colours.Text);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No files"));
    return;
  }
  PaintBarChart(painter, CurrentPicture(), colours);
  if (hasFocus()) {
    painter.setPen(QPen(colours.Text, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void TBarChartView::SetHot(int bar) {
  if (bar == Hot) return;
  Hot = bar;
  update();
}

void TBarChartView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  SetHot(CurrentPicture().Layout.BarAt(at.x(), at.y()));
}

void TBarChartView::leaveEvent(QEvent*) {
  SetHot(-1);
}

void TBarChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPointF at = event->position();
  const int bar = CurrentPicture().Layout.BarAt(at.x(), at.y());
  if (bar >= 0 && OnBarActivated) OnBarActivated(bar);
}

void TBarChartView::keyPressEvent(QKeyEvent* event) {
  const int n = static_cast<int>(Data.Values.size());
  switch (event->key()) {
    case Qt::Key_Left:
      if (n > 0) SetHot(Hot <= 0 ? 0 : Hot - 1);
      break;
    case Qt::Key_Right:
      if (n > 0) SetHot(std::min(Hot + 1, n - 1));
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (Hot >= 0 && OnBarActivated) OnBarActivated(Hot);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  if (Hot >= 0 && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
    const TBarChartLayout l = CurrentPicture().Layout;
    const QPoint at(static_cast<int>((l.BarLeft[static_cast<std::size_t>(Hot)] +
                                      l.BarRight[static_cast<std::size_t>(Hot)]) /
                                     2),
                    static_cast<int>(l.Bottom));
    QToolTip::showText(mapToGlobal(at), Data.ToolTips.value(Hot), this);
  }
}

bool TBarChartView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int bar = CurrentPicture().Layout.BarAt(help->pos().x(), help->pos().y());
  if (bar < 0 || bar >= Data.ToolTips.size()) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(help->globalPos(), Data.ToolTips[bar], this);
  return true;
}

}  // namespace Vellumetric
