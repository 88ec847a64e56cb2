#pragma once

#include <QStringList>
#include <QWidget>
#include <cstddef>
#include <vector>

#include "history/SizeChartLayout.h"

namespace Vellumetric {

// The Changes tab's chart of the root's total over its kept scans: lays itself out on every
// paint (LayoutSizeChart) and paints with PaintSizeChart.
class TSizeChartView final : public QWidget {
 public:
  explicit TSizeChartView(QWidget* parent);

  // `points` oldest first, with one date text each; `compared` marks the scan compared with.
  void SetPoints(std::vector<TSizeChartPoint> points, QStringList dates, std::size_t compared);
  void Clear();

  [[nodiscard]] const std::vector<TSizeChartPoint>& Points() const noexcept { return Data; }
  [[nodiscard]] std::size_t Compared() const noexcept { return ComparedIndex; }
  // The layout at the widget's current size (what a paint would draw).
  [[nodiscard]] TSizeChartLayout CurrentLayout() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<TSizeChartPoint> Data;
  QStringList Dates;
  std::size_t ComparedIndex = 0;
};

}  // namespace Vellumetric
