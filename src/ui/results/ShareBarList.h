#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <QTreeView>

namespace Vellumetric {

// A flat, read-only list of rows with share bars (the Changes and Find tabs): whole rows are
// selected, no row opens, every row is one line high.
[[nodiscard]] QTreeView* MakeShareBarList(QWidget* parent, const QString& name,
                                          QAbstractItemModel* model);

}  // namespace Vellumetric
