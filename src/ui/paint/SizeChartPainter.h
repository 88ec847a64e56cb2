#pragma once

#include <QPainter>
#include <QPalette>
#include <QStringList>
#include <cstddef>

#include "history/SizeChartLayout.h"

namespace Vellumetric {

// Paints the size-over-time chart laid out by LayoutSizeChart: the size marks and their labels,
// the line through the scans, one dot per scan, the compared scan ringed with a dashed line down
// to its date, and the newest scan filled. `dates` holds one label per point.
void PaintSizeChart(QPainter& painter, const TSizeChartLayout& layout, const QStringList& dates,
                    std::size_t compared, const QPalette& palette);

}  // namespace Vellumetric
