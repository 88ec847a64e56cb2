#pragma once

#include <QAction>
#include <QMenu>
#include <QTreeView>
#include <functional>
#include <string>

#include "model/TFolderData.h"
#include "ui/models/TFolderTreeModel.h"
#include "ui/services/TDesktopShell.h"

namespace Vellumetric {

// The folder tree of the results view: its model and share-bar delegate, sorting by the measure (a
// left click on any header flips the direction), the first column fitted to the view, and the
// folder actions (double-click opens the folder, "Open Folder Location" shows it selected in its
// parent).
class TFolderTreeController final : public QObject {
 public:
  TFolderTreeController(QTreeView* tree, TDesktopShell& shell, int dpi);

  // Shows a finished scan's tree in the sort direction chosen last (largest first unless the
  // user turned it round), the roots expanded; `sorted`: the tree is largest first by the measure
  // already (the scan's worker sorted it), which spares the window a pass over every folder.
  void Attach(TFolderTree* tree, bool sorted = false);
  // Hides the tree before a scan refills it.
  void Detach();
  // A left click on a header: the other direction, column 0 stays the sort column.
  void HeaderClick(Qt::MouseButton button);
  void SelectFirstNode();
  // Runs FocusChanged for the current node again (its page has more to show).
  void RefreshFocusedNode();
  void FitFirstColumn();
  void OpenSelectedFolder();
  void OpenSelectedFolderLocation();

  [[nodiscard]] const std::string& SelectedFolderPath() const noexcept { return SelectedFolder; }
  [[nodiscard]] Qt::SortOrder SortDirection() const noexcept { return Direction; }
  // The order the next finished scan is shown in (the one kept from the last run), and this
  // tree's now.
  void SetDirection(Qt::SortOrder order);
  // Bars and order by the bytes the files hold or by what they take on disk; the tree shown is
  // sorted again, the current folder kept.
  void SetMeasure(TMeasure measure);

  // Runs on every focus change with the newly focused node (ShowFolderInfo of the analyzer).
  std::function<void(TNodeId id, const TFolderData& node, bool topLevel)> FocusChanged;

  // "Scan This Folder Again" (F6) and, on a folder the rules left out, "Scan Now": the
  // analyzer's refresh of the focused node; `scanNow` skips the rules.
  std::function<void(TNodeId id, bool scanNow)> RescanRequested;
  // While a folder is scanned again the results can be read, not changed.
  void SetRescanAllowed(bool allowed);

  TFolderTreeModel* Model = nullptr;
  QMenu* PopupMenu4 = nullptr;
  QAction* OpenFileLocation2 = nullptr;
  QAction* ScanAgainAction = nullptr;
  QAction* ScanNowAction = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void NodeFocused(const QModelIndex& current);

  QTreeView* Tree;
  TDesktopShell& Shell;
  void RequestRescan(bool scanNow);
  void UpdateRescanActions();

  std::string SelectedFolder;
  bool RescanAllowed = true;
  Qt::SortOrder Direction = Qt::DescendingOrder;
};

}  // namespace Vellumetric
