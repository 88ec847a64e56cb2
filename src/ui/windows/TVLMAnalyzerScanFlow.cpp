// The analyzer's scan and summary flow: the scan commands, the scan view, the end of a scan, the
// summary and Back.
#include <QFileDialog>
#include <QGridLayout>
#include <utility>

#include "system/StringTable.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {
namespace {

// "C:\" is scanned as "C:"; a POSIX mount point keeps its text.
std::string DriveScanRoot(std::string root) {
  if (root.size() == 3 && root[1] == ':' && root[2] == '\\') root.erase(2);
  return root;
}

}  // namespace

void TVLMAnalyzerForm::EnterScanView() {
  for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton7, ToolButton10, ToolButton11}) {
    SetButtonShown(b, false);
  }
  SetButtonShown(ToolButton6, true);
  ToolButton6->setEnabled(false);
  SetButtonShown(ScanAgainButton, true);
  ScanAgainButton->setEnabled(false);
}

void TVLMAnalyzerForm::ScanDriveButtonClick() {
  if (ProgressForm) return;
  CurrentPath = DriveScanRoot(CurrentPath);
  EnterScanView();
  ScanRoots = {CurrentPath};
  DestroyQuickInfo();
  StartScan(true);
}

void TVLMAnalyzerForm::ScanDriveMenuItem(std::size_t index) {
  if (ProgressForm || index >= DiskList.size()) return;
  EnterScanView();
  const std::string root = DiskList[index].RootPath;
  ScanRoots = {DriveScanRoot(root)};
  ShowDriveInfo(root);
  DestroyQuickInfo();
  StartScan(true);
}

void TVLMAnalyzerForm::DriveOpen(std::size_t index) {
  if (ProgressForm || index >= DiskList.size()) return;
  EnterScanView();
  ScanRoots = {DriveScanRoot(DiskList[index].RootPath)};
  DestroyQuickInfo();
  StartScan(true);
}

void TVLMAnalyzerForm::ScanSpecialFolder(std::size_t index) {
  if (index < std::size(SpecialFolders)) ScanFolder(SpecialFolders[index]);
}

void TVLMAnalyzerForm::BrowseForFolder() {
  if (ProgressForm) return;
  std::string chosen;
  if (Services.ChooseFolder) {
    chosen = Services.ChooseFolder(this);
  } else {
    const QString dir = QFileDialog::getExistingDirectory(
        this, QString::fromStdString(LoadResString(IDS_SELECT_DIRECTORY)), QString());
    chosen = QFile::encodeName(dir).toStdString();
  }
  if (!chosen.empty()) ScanFolder(chosen);
}

void TVLMAnalyzerForm::ScanFolder(const std::string& path) {
  if (ProgressForm || path.empty()) return;
  EnterScanView();
  ScanRoots = {path};
  CurrentPath = path;
  ShowFolderDetails(path, nullptr);
  DestroyQuickInfo();
  StartScan(false);
}

void TVLMAnalyzerForm::StartScan(bool drives) {
  Commands->LoadGroupsIfEmpty();
  BiggestFiles.Clear();
  Summary->ClearGeneral();
  if (ProgressForm) return;
  FolderView->Detach();  // the worker clears and refills the tree; no view may read it meanwhile
  VirtualStringTree->hide();  // covered by the scan view
  LastScanDrives = drives;
  MapTab->ScanStarting();
  ChangesTab->Clear();
  ShowSummaryTabs(true);
  History->ScanStarting(drives);
  TScanTargets targets{&FolderTree, &TypedFiles, &BiggestFiles, &Extensions, &Scanning};
  targets.FileRecords = &FileRecords;  // what the map draws
  if (!ScanRoots.empty()) {
    // The history's copy of the tree is made on the worker, not in the window's event loop.
    targets.Finishing = [history = History.get(), root = ScanRoots.front()](
                            const TFolderTree& tree) { history->CopyFinishedTree(tree, root); };
  }
  ProgressForm = new TVLMDiskScanProgressForm(Panel2, this, targets, Services.Listers, Dpi);
  static_cast<QGridLayout*>(Panel2->layout())->addWidget(ProgressForm, 0, 0);
  ProgressForm->StartScanThread(ScanRoots, drives);
  ProgressForm->show();
  ProgressForm->raise();
}

void TVLMAnalyzerForm::DestroyProgressForm() {
  delete ProgressForm;  // stops a scan that still runs
  ProgressForm = nullptr;
}

void TVLMAnalyzerForm::DestroyQuickInfo() {
  delete QuickInfo;
  QuickInfo = nullptr;
}

void TVLMAnalyzerForm::ScanFinished() {
  if (!ScanRoots.empty()) History->ScanFinished(FolderTree, ScanRoots.front());  // before sorting
  DestroyProgressForm();
  VirtualStringTree->show();
  FolderView->Attach(&FolderTree);
  ToolButton6->setEnabled(true);
  ScanAgainButton->setEnabled(true);
  FolderView->SelectFirstNode();
  MapTab->ScanFinished(FolderTree, FileRecords, Groups);
  ShowSummaryPage();  // after the map's tab is back, as it may be the page to show
  Summary->BuildBiggestFilesSection(BiggestFiles);
  StartSummary();
}

void TVLMAnalyzerForm::ScanCancelled() {
  DestroyProgressForm();
  ShowStartView();
}

void TVLMAnalyzerForm::StartSummary() {
  Panel4->show();
  Splitter1->handle(1)->show();
  // The handle between them takes its own height, so the summary panel gets its height in full.
  const int above = Splitter1->height() - Splitter1->handleWidth() - SummaryPanelHeight;
  Splitter1->setSizes({std::max(0, above), SummaryPanelHeight});
  ProgressBar1->show();
  Label1->show();
  SummaryTitleBar->SetTitle(QStringLiteral("Summary (Please wait...)"), false);
  Panel5->show();
  Summary->StartSummary(TypedFiles, Groups, CurrentPath, SummaryBusy, this);
}

void TVLMAnalyzerForm::SummaryFinished() {
  Summary->SummaryFinished(!ScanRoots.empty(), ScanRoots.empty() ? std::string() : ScanRoots[0]);
}

// While the summary worker runs, the start view waits for it: the timer asks it to stop and
// looks again every 200 ms.
void TVLMAnalyzerForm::BackClick() {
  if (WorkPending()) {
    SummaryThreadTimer->start();
  } else {
    ShowStartView();
  }
}

void TVLMAnalyzerForm::SummaryThreadTimerTimer() {
  if (SummaryBusy.load()) {
    CancelSummary();
    return;
  }
  if (Scanning.load()) {
    CancelScan();
    return;
  }
  if (WorkPending()) return;  // the end message is still on its way
  SummaryThreadTimer->stop();
  if (std::exchange(ScanAgainPending, false)) {
    ScanAgain();
  } else {
    ShowStartView();
  }
}

// Only the results of a scan can be scanned again: a saved summary has no root to walk.
void TVLMAnalyzerForm::ScanAgainClick() {
  if (ScanRoots.empty() || ProgressForm || SummaryThreadTimer->isActive()) return;
  if (WorkPending()) {
    ScanAgainPending = true;
    SummaryThreadTimer->start();
  } else {
    ScanAgain();
  }
}

// The results make way for the scan view, as from the start view; the summary panel comes back
// with the new summary.
void TVLMAnalyzerForm::ScanAgain() {
  Panel4->hide();
  Splitter1->handle(1)->hide();
  EnterScanView();
  if (LastScanDrives) {
    ShowDriveInfo(ScanRoots.front());
  } else {
    ShowFolderDetails(ScanRoots.front(), nullptr);
  }
  CurrentPath = ScanRoots.front();
  StartScan(LastScanDrives);
}

void TVLMAnalyzerForm::ShowFolderInfo(TNodeId id, const TFolderData& node, bool topLevel) {
  if (topLevel && node.Kind == FolderKindDrive) {
    ShowDriveInfo(node.Name + (NativePathStyle() == TPathStyle::Windows ? "\\" : ""));
  } else {
    ShowFolderDetails(node.Path.Str(), &node, id);
  }
  CurrentPath = node.Path.Str();
}

}  // namespace Vellumetric
