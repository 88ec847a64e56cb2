#pragma once

#include <QTreeWidget>
#include <cstdint>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"

namespace Vellumetric {

// The options dialog's list of file-extension groups: one row per group captioned with its
// extensions and sorted by caption; the group's id rides in a hidden second column, so a row
// finds its group again after the list was re-sorted.
class TGroupListView final : public QTreeWidget {
 public:
  TGroupListView(QWidget* parent, int dpi);

  // Every group of `groups`, afresh.
  void Fill(const TFileExtDescList& groups, const TFileExtList& extensions);
  QTreeWidgetItem* AddGroup(const TFileExtDescData& group, const TFileExtList& extensions);
  [[nodiscard]] QTreeWidgetItem* SelectedItem() const;
  // The index in `groups` of the selected item's group; -1 when there is none.
  [[nodiscard]] std::int32_t SelectedGroupIndex(const TFileExtDescList& groups) const;
  // The view would move the selection to a neighbour; nothing is selected after a deletion, so
  // Remove and Edit never act on a group the user did not pick.
  void DeleteSelectedItem();

  // The list item caption of a group: "Font Files (*.fnt, *.fon, *.otf, *.ttf)".
  [[nodiscard]] static QString GroupCaption(const TFileExtDescData& group,
                                            const TFileExtList& extensions);
};

}  // namespace Vellumetric
