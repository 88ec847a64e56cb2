#include "ui/results/map/TMapTabController.h"

#include <QVBoxLayout>
#include <vector>

#include "system/NativePlatform.h"

namespace Vellumetric {

TMapTabController::TMapTabController(QTabWidget* tabs, QTreeView* folderTree,
                                     TFolderTreeModel& folders, TDesktopShell& shell)
    : Tabs(tabs), FolderTree(folderTree), Folders(folders), Shell(shell) {
  TabSheet = new QWidget;
  TabSheet->setObjectName(QStringLiteral("MapTabSheet"));
  Map = new TTreemapView(TabSheet);
  Map->setObjectName(QStringLiteral("Map"));
  (new QVBoxLayout(TabSheet))->addWidget(Map);
  tabs->addTab(TabSheet, QStringLiteral("Map"));

  Map->OnFolderClicked = [this](TNodeId folder) { FocusFolder(folder); };
  Map->OnOpenFileLocation = [this](const std::string& path) { Shell.ShowItemInFolder(path); };
  connect(FolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { Map->SetOutlinedFolder(Folders.NodeOf(current)); });
  // A sort relinks the tree's sibling chains in place: no render may walk them meanwhile.
  connect(&Folders, &QAbstractItemModel::layoutAboutToBeChanged, this,
          [this] { Map->PauseRendering(); });
  connect(&Folders, &QAbstractItemModel::layoutChanged, this, [this] { Map->ResumeRendering(); });
}

TMapTabController::~TMapTabController() {
  Map->ClearScan();
}

// The map belongs to a scan's results: a saved summary has no files to draw, so the tab is
// hidden until a scan has finished.
void TMapTabController::ScanStarting() {
  Map->ClearScan();
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), false);
}

void TMapTabController::ScanFinished(const TFolderTree& tree, const TFileRecordStore& files,
                                     const TFileExtDescList& groups) {
  Map->SetScan(&tree, &files, tree.FirstChild(NoNode), groups, NativePathStyle());
  Map->SetOutlinedFolder(Folders.NodeOf(FolderTree->currentIndex()));
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), true);
}

void TMapTabController::FocusFolder(TNodeId folder) {
  const QModelIndex index = Folders.IndexOf(folder);
  if (!index.isValid()) return;
  std::vector<QModelIndex> parents;
  for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) parents.push_back(p);
  for (auto it = parents.rbegin(); it != parents.rend(); ++it) FolderTree->expand(*it);
  FolderTree->setCurrentIndex(index);
  FolderTree->scrollTo(index);
}

}  // namespace Vellumetric
