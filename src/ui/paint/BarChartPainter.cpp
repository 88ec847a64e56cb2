#include "ui/paint/BarChartPainter.h"

#include <algorithm>
#include <vector>

#include "system/ColourContrast.h"

namespace Vellumetric {
namespace {

TRgb Rgb(const QColor& c) {
  return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
          static_cast<std::uint8_t>(c.blue())};
}

void PaintValueMarks(QPainter& painter, const TBarChartPicture& p, const TBarChartColours& c) {
  const TBarChartLayout& l = p.Layout;
  const QFontMetricsF metrics(painter.font());
  for (std::size_t i = 0; i < l.Ticks.size(); ++i) {
    const double y = l.Ticks[i].Y;
    if (i > 0) {
      painter.setPen(QPen(c.Grid, 1));
      painter.drawLine(QPointF(l.Left, y), QPointF(l.Right, y));
    }
    if (static_cast<qsizetype>(i) >= p.TickLabels.size()) continue;
    painter.setPen(c.Text);
    const QRectF box(0, y - metrics.height() / 2, l.Left - 4, metrics.height());
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter,
                     p.TickLabels[static_cast<qsizetype>(i)]);
  }
}

void PaintBarLabels(QPainter& painter, const TBarChartPicture& p, const TBarChartColours& c) {
  const TBarChartLayout& l = p.Layout;
  const QFontMetricsF metrics(painter.font());
  painter.setPen(c.Text);
  for (const std::size_t i : l.Labels) {
    if (static_cast<qsizetype>(i) >= p.BarLabels.size()) continue;
    const QString& text = p.BarLabels[static_cast<qsizetype>(i)];
    const double middle = (l.BarLeft[i] + l.BarRight[i]) / 2;
    const double width = metrics.horizontalAdvance(text) + 2;
    // The last label may stand out past the plot, never past the picture.
    const double edge = painter.device() ? painter.device()->width() : l.Right;
    const double left = std::max(0.0, std::min(middle - width / 2, edge - width));
    painter.drawText(QRectF(left, l.Bottom + 3, width, metrics.height()), Qt::AlignCenter, text);
  }
}

// The marks' lines across the plot and their labels on the line above it: the strong mark's
// label first, then each other one centred or beside its line where it does not run into a label
// already written (else its line alone shows; the tab's percentiles give every figure).
void PaintMarks(QPainter& painter, const TBarChartPicture& p, const TBarChartColours& c) {
  const TBarChartLayout& l = p.Layout;
  const QFontMetricsF metrics(painter.font());
  std::vector<const TBarChartMark*> order;
  for (const TBarChartMark& m : p.Marks) order.push_back(&m);
  std::stable_partition(order.begin(), order.end(),
                        [](const TBarChartMark* m) { return m->Strong; });
  std::vector<QRectF> written;
  for (const TBarChartMark* m : order) {
    painter.setPen(QPen(c.Mark, m->Strong ? 2 : 1, m->Strong ? Qt::SolidLine : Qt::DashLine));
    painter.drawLine(QPointF(m->X, l.Top), QPointF(m->X, l.Bottom));
    const double width = metrics.horizontalAdvance(m->Label) + 4;
    const double top = l.Top - metrics.height() - 1;
    // Centred on its line, else beside it on the left or on the right: the quartiles lie close
    // to the median on most disks.
    for (const double left : {m->X - width / 2, m->X - width, m->X}) {
      const QRectF box(left, top, width, metrics.height());
      if (std::any_of(written.begin(), written.end(),
                      [&box](const QRectF& w) { return w.intersects(box); })) {
        continue;
      }
      painter.setPen(c.Mark);
      painter.drawText(box, Qt::AlignCenter, m->Label);
      written.push_back(box);
      break;
    }
  }
}

}  // namespace

TBarChartColours TBarChartColours::For(const QPalette& palette) {
  TBarChartColours c;
  c.Background = palette.color(QPalette::Base);
  c.Text = palette.color(QPalette::Text);
  c.Axis = palette.color(QPalette::Text);
  c.Grid = palette.color(QPalette::Mid);
  c.Grid.setAlpha(110);
  if (IsLightColour(Rgb(c.Background))) {
    c.Bar = QColor(0x3b, 0x6e, 0xa8);
    c.HotBar = QColor(0x1d, 0x44, 0x73);
    c.Mark = QColor(0xc2, 0x41, 0x0c);
    return c;
  }
  c.Bar = palette.color(QPalette::Highlight);
  // A dark scheme's highlight may be as dark as its background: lift it until it stands out.
  while (ContrastRatio(Rgb(c.Bar), Rgb(c.Background)) < 3.0 && c.Bar.lightness() < 250) {
    c.Bar = c.Bar.lighter(115);
  }
  c.HotBar = c.Bar.lighter(140);
  if (c.HotBar == c.Bar) c.HotBar = c.Text;
  c.Mark = palette.color(QPalette::Link);
  if (ContrastRatio(Rgb(c.Mark), Rgb(c.Background)) < 3.0) c.Mark = c.Text;
  return c;
}

void PaintBarChart(QPainter& painter, const TBarChartPicture& p, const TBarChartColours& c) {
  const TBarChartLayout& l = p.Layout;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  PaintValueMarks(painter, p, c);
  for (std::size_t i = 0; i < l.BarLeft.size(); ++i) {
    if (l.BarTop[i] >= l.Bottom) continue;
    const QRectF bar(QPointF(l.BarLeft[i], l.BarTop[i]), QPointF(l.BarRight[i], l.Bottom));
    painter.fillRect(bar, static_cast<int>(i) == p.HotBar ? c.HotBar : c.Bar);
  }
  painter.setPen(QPen(c.Axis, 1));
  painter.drawLine(QPointF(l.Left, l.Bottom), QPointF(l.Right, l.Bottom));
  PaintBarLabels(painter, p, c);
  PaintMarks(painter, p, c);
  if (!p.Title.isEmpty()) {
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(c.Text);
    const QFontMetricsF metrics(bold);
    painter.drawText(QRectF(l.Left, p.TitleTop, l.Right - l.Left, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, p.Title);
  }
  painter.restore();
}

}  // namespace Vellumetric
