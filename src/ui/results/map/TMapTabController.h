#pragma once

#include <QObject>
#include <QTabWidget>
#include <QTreeView>

#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "ui/models/TFolderTreeModel.h"
#include "ui/results/map/TTreemapView.h"
#include "ui/services/TDesktopShell.h"

namespace Vellumetric {

// The "Map" tab of the results view: the treemap of the finished scan, kept in step with the
// folder tree. A click on the map makes its folder current in the tree (which shows its page), a
// folder made current in the tree is outlined on the map, and a double-click on a file opens its
// location in the file manager. The map's renderer reads the scan's tree on a worker thread, so
// the owner clears the map before anything refills or frees the tree; re-sorts of the tree are
// fenced here.
class TMapTabController final : public QObject {
 public:
  TMapTabController(QTabWidget* tabs, QTreeView* folderTree, TFolderTreeModel& folders,
                    TDesktopShell& shell);
  // Waits for a render still reading the tree, which its owner frees next.
  ~TMapTabController() override;
  TMapTabController(const TMapTabController&) = delete;
  TMapTabController& operator=(const TMapTabController&) = delete;

  // Before a scan starts refilling the tree and the file records.
  void ScanStarting();
  // After a finished scan's tree is attached to the folder view: the map of its first root.
  void ScanFinished(const TFolderTree& tree, const TFileRecordStore& files,
                    const TFileExtDescList& groups);
  // Makes `folder` the folder tree's current node, its parents expanded and the row in view.
  void FocusFolder(TNodeId folder);

  QWidget* TabSheet = nullptr;
  TTreemapView* Map = nullptr;

 private:
  QTabWidget* Tabs;
  QTreeView* FolderTree;
  TFolderTreeModel& Folders;
  TDesktopShell& Shell;
};

}  // namespace Vellumetric
