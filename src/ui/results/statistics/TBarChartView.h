#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/paint/BarChartPainter.h"

namespace Vellumetric {

// One bar chart of the Statistics tab: lays itself out on every paint (LayoutBarChart) and paints
// with PaintBarChart in the colours of the widget's scheme. The bar under the pointer is lit and
// its tooltip given; a click on a bar (or a key press of Enter on the bar chosen with the arrow
// keys) is reported through OnBarActivated.
class TBarChartView final : public QWidget {
 public:
  explicit TBarChartView(QWidget* parent);

  struct TBars {
    QString Title;
    std::vector<double> Values;
    QStringList Labels;    // under the bars, where there is room
    QStringList ToolTips;  // one per bar
    bool Bytes = false;    // the values are bytes (the value axis steps by binary units)
    // Marks at sizes of a histogram of power-of-two buckets (HistogramX), with their labels.
    std::vector<std::uint64_t> MarkSizes;
    QStringList MarkLabels;
    int StrongMark = -1;
  };
  void SetBars(TBars bars);
  [[nodiscard]] const TBars& Bars() const noexcept { return Data; }
  // What a paint at the widget's size would draw.
  [[nodiscard]] TBarChartPicture CurrentPicture() const;
  [[nodiscard]] int HotBar() const noexcept { return Hot; }

  std::function<void(int bar)> OnBarActivated;
  // The text of a value mark: a count or a size, as the tab shows them.
  std::function<QString(double value)> ValueText;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void SetHot(int bar);

  TBars Data;
  int Hot = -1;
};

}  // namespace Vellumetric
