#pragma once

#include <QResizeEvent>
#include <QTreeWidget>
#include <vector>

#include "system/InfoPageRows.h"

namespace Vellumetric {

// ListView1, the Field/Value information page: shows the rows the core produces, with the
// heading / yes / no images and one indent step per level.
class TInfoListView final : public QTreeWidget {
 public:
  explicit TInfoListView(QWidget* parent);
  void ShowRows(const std::vector<TInfoPageRow>& rows, int fieldWidth, int valueWidth);

  // Text of a row and column, for tests and screenshots alike.
  [[nodiscard]] QString Cell(int row, int column) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitColumns();

  int FieldWidth = 340;
  int ValueWidth = 146;
};

}  // namespace Vellumetric
