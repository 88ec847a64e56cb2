// The analyzer's scan and summary flow: the scan commands, the scan view, the end of a scan, the
// summary and Back.
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLocale>
#include <QMetaObject>
#include <QProgressBar>
#include <algorithm>
#include <thread>
#include <utility>

#include "system/StringTable.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"
#include "system/ntfs/NtfsVolumeSource.h"
#include "system/ntfs/ScanEngineRows.h"
#include "system/ntfs/TNtfsEngineLister.h"
#include "ui/common/PathQText.h"
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
  for (QToolButton* b :
       {ToolButton1, ToolButton2, ToolButton7, ToolButton10, OpenScanFileButton, ToolButton11}) {
    SetButtonShown(b, false);
  }
  SetButtonShown(ToolButton6, true);
  if (ApplyRulesAction) ApplyRulesAction->setVisible(false);
  SetButtonShown(ExportButton, false);
  SetButtonShown(MeasureButton, false);
  ToolButton6->setEnabled(false);
  SetButtonShown(ScanAgainButton, true);
  ScanAgainButton->setEnabled(false);
}

void TVLMAnalyzerForm::ScanDriveButtonClick() {
  if (ProgressForm) return;
  LastScanImage = false;
  CurrentPath = DriveScanRoot(CurrentPath);
  EnterScanView();
  ScanRoots = {CurrentPath};
  DestroyQuickInfo();
  StartScan(true);
}

void TVLMAnalyzerForm::ScanDriveMenuItem(std::size_t index) {
  if (ProgressForm || index >= DiskList.size()) return;
  LastScanImage = false;
  EnterScanView();
  const std::string root = DiskList[index].RootPath;
  ScanRoots = {DriveScanRoot(root)};
  ShowDriveInfo(root);
  DestroyQuickInfo();
  StartScan(true);
}

void TVLMAnalyzerForm::DriveOpen(std::size_t index) {
  if (ProgressForm || index >= DiskList.size()) return;
  LastScanImage = false;
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
    chosen = PathFromQt(dir);
  }
  if (!chosen.empty()) ScanFolder(chosen);
}

void TVLMAnalyzerForm::ScanFolder(const std::string& path) {
  if (ProgressForm || path.empty()) return;
  LastScanImage = false;
  EnterScanView();
  ScanRoots = {path};
  CurrentPath = path;
  ShowFolderDetails(path, nullptr);
  DestroyQuickInfo();
  StartScan(false);
}

void TVLMAnalyzerForm::OpenNtfsImage() {
  if (ProgressForm) return;
  const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Open an NTFS Image"));
  if (!file.isEmpty()) ScanNtfsImage(PathFromQt(file));
}

void TVLMAnalyzerForm::ScanNtfsImage(const std::string& path) {
  if (ProgressForm || path.empty()) return;
  EnterScanView();
  LastScanImage = true;
  ScanRoots = {path};
  CurrentPath = path;
  ShowFolderDetails(path, nullptr);
  DestroyQuickInfo();
  StartScan(true);  // the image is a whole volume: its root is named like a drive
}

TListerFactory TVLMAnalyzerForm::ListersForScan(bool drives) {
  EngineReport = std::make_shared<TScanEngineReport>();
  EngineStop->store(false);
  TScanEngineChoice choice = TScanEngineChoice::Listing;
  if (LastScanImage) {
    choice = TScanEngineChoice::Mft;
  } else if (drives && DriveRootsAreRawVolumes()) {
    choice = TScanEngineChoice::Auto;
  }
  if (choice == TScanEngineChoice::Listing) return Services.Listers;
  // Runs on the worker after each piece of the MFT: the strip's bar shows the MiB read.
  auto progress = [this, stop = EngineStop](std::uint64_t done, std::uint64_t total) {
    QMetaObject::invokeMethod(
        this,
        [this, done, total] {
          if (!ProgressForm) return;
          QProgressBar* bar = ProgressForm->InfoStrip->ProgressBar1;
          bar->setRange(0, static_cast<int>(total >> 20));
          bar->setValue(static_cast<int>(done >> 20));
        },
        Qt::QueuedConnection);
    return !stop->load();
  };
  return [this, choice, listing = Services.Listers, report = EngineReport, progress] {
    auto lister = std::make_unique<TNtfsEngineLister>(
        choice, OpenNtfsVolume, choice == TScanEngineChoice::Mft ? nullptr : listing(),
        NativePathStyle(), report, progress);
    // The scan view names the engine once it is known (on the worker: posted over).
    lister->OnChosen = [this](const TScanEngineReport& chosen) {
      const QString title =
          chosen.UsedMft ? QStringLiteral("Scan in Progress (Master File Table). Please Wait...")
                         : QStringLiteral("Scan in Progress (Folder Listing). Please Wait...");
      QMetaObject::invokeMethod(
          this,
          [this, title] {
            if (ProgressForm) ProgressForm->TitleBar->SetTitle(title, false);
          },
          Qt::QueuedConnection);
    };
    return lister;
  };
}

void TVLMAnalyzerForm::StartScan(bool drives) {
  std::function<void()> waitForGroups = Commands->GroupsForScan();
  BiggestFiles.Clear();
  BiggestOnDisk.Clear();
  Summary->ClearGeneral();
  if (ProgressForm) return;
  // A scan of the disk replaces what a file held; the file's own scan comes with its reader.
  const bool fromFile = static_cast<bool>(NextListers);
  TListerFactory listers = fromFile ? std::move(NextListers) : ListersForScan(drives);
  if (fromFile) EngineReport = std::make_shared<TScanEngineReport>();
  NextListers = nullptr;
  if (!fromFile) ScanFile.reset();
  Shell->SetPathsAreLocal(!ScanFile);
  Summary->ClearDetail();  // its files name records that the worker clears
  FolderView->Detach();    // the worker clears and refills the tree; no view may read it meanwhile
  VirtualStringTree->hide();  // covered by the scan view
  LastScanDrives = drives;
  MapTab->ScanStarting();
  FindTab->ScanStarting();
  DupesTab->ScanStarting();
  StatsTab->ScanStarting();
  ChangesTab->Clear();
  ShowSummaryTabs(true);
  if (!ScanFile) History->ScanStarting(drives);
  ScannedDrive.reset();
  TScanTargets targets{&FolderTree, &TypedFiles, &BiggestFiles, &Extensions, &Scanning};
  targets.FileRecords = &FileRecords;  // what the map draws and the summary's files name
  targets.BiggestOnDisk = &BiggestOnDisk;
  ScanMeasure = ByMeasure;
  targets.BeforeWalk = std::move(waitForGroups);
  // A file from elsewhere is shown as it was written; the rules are for this machine's disks.
  targets.Rules = ScanFile ? nullptr : RulesForScan();
  LastScanRules = targets.Rules != nullptr;
  ScanExcludedFolders = 0;
  targets.ExcludedFolders = &ScanExcludedFolders;
  // What the end of a large scan would otherwise cost the window: the history's copy of the
  // tree (taken before any sort) and the folder view's first order, largest first.
  // A file is only shown: `history import` is what puts one into the history.
  targets.AfterWalk = [this,
                       root = ScanRoots.empty() || ScanFile ? std::string() : ScanRoots.front(),
                       measure = ScanMeasure] {
    if (!root.empty()) History->CopyFinishedTree(FolderTree, root);
    // On every processor: the walk's threads are done, and the window waits for this.
    FolderTree.SortAllByKey([measure](const TFolderData& f) { return f.Bytes(measure); }, true,
                            std::max(1U, std::thread::hardware_concurrency()));
  };
  ProgressForm = new TVLMDiskScanProgressForm(Panel2, this, targets, listers, Dpi);
  if (!fromFile && (LastScanImage || (drives && DriveRootsAreRawVolumes()))) {
    ProgressForm->TitleBar->SetTitle(
        QStringLiteral("Reading the Master File Table. Please Wait..."), false);
  }
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

// The end of a scan in three turns of the event loop, so that the sorted tree is painted first
// and no turn keeps the window busy for long: the tree, then the map and the General page,
// then the summary. Back and closing wait for the turns still to come (WorkPending).
void TVLMAnalyzerForm::ScanFinished() {
  // The walk counted what it left out: the first page need not look through every folder.
  ExcludedAnywhere = ScanExcludedFolders > 0;
  ExcludedCheckedAt = FolderTree.Count();
  if (ScanFileFailed()) return;
  // Hands the worker's copy on to the recorder.
  if (!ScanRoots.empty() && !ScanFile) History->ScanFinished(FolderTree, ScanRoots.front());
  DestroyProgressForm();
  VirtualStringTree->show();
  FolderView->Attach(&FolderTree, ScanMeasure == ByMeasure);  // sorted by the worker
  ToolButton6->setEnabled(true);
  ScanAgainButton->setEnabled(!ScanFile);  // a file's disk is not here to scan
  SetButtonShown(ExportButton, true);
  SetButtonShown(MeasureButton, true);
  FolderView->SelectFirstNode();
  EndTurnsPending = true;
  // Behind the tree's paint, which Qt asks for at low priority: a zero timer would come first,
  // and the workers the next turn starts would share the processors with the paint.
  QCoreApplication::postEvent(this, new QEvent(ScanShownEvent), Qt::LowEventPriority);
}

void TVLMAnalyzerForm::ScanShown() {
  MapTab->ScanFinished(FolderTree, FileRecords, Groups);
  FindTab->ScanFinished(FolderTree, FileRecords, Groups);
  DupesTab->ScanFinished(FolderTree, FileRecords);
  StatsTab->ScanFinished(FileRecords, Groups, ScanRoots.empty() ? std::string() : ScanRoots[0]);
  ShowSummaryPage();  // after the map's and the find's tabs are back, as either may be the one
  Summary->BuildBiggestFilesSection(BiggestFiles, &BiggestOnDisk, &FileRecords, &FolderTree);
  QTimer::singleShot(0, this, [this] {
    EndTurnsPending = false;
    StartSummary();
  });
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
  Summary->StartSummary(TypedFiles, FileRecords, FolderTree, Groups, CurrentPath, SummaryBusy,
                        this);
}

void TVLMAnalyzerForm::SummaryFinished() {
  Summary->SummaryFinished(!ScanRoots.empty(), ScanFile            ? ScanFileCaption
                                               : ScanRoots.empty() ? std::string()
                                                                   : ScanRoots[0]);
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
  if (Scanning.load() || Refreshing.load()) {
    CancelScan();
    return;
  }
  if (DupesTab->Searching()) DupesTab->Cancel();
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
  if (ScanRoots.empty() || ScanFile || ProgressForm || SummaryThreadTimer->isActive()) return;
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

bool TVLMAnalyzerForm::ShowFind() {
  return FindTab->FocusSearch();
}

void TVLMAnalyzerForm::ShowFolderInfo(TNodeId id, const TFolderData& node, bool topLevel) {
  if (topLevel) {
    ShowRootInfo(id, node);
  } else {
    ShowFolderDetails(node.Path.Str(), &node, id);
  }
  CurrentPath = node.Path.Str();
}

// The drive's page with what the scan found of its space (an image's folder page: the drive it
// lies on says nothing about it), and below it the engine that read the scan.
void TVLMAnalyzerForm::ShowRootInfo(TNodeId id, const TFolderData& node) {
  std::vector<TInfoPageRow> rows;
  const bool drive = node.Kind == FolderKindDrive && !LastScanImage && !ScanFile;
  if (drive) {
    rows = DriveScanPageRows(
        std::string(node.Name()) + (NativePathStyle() == TPathStyle::Windows ? "\\" : ""), node);
    AddExclusionRow(rows, node, id);
  } else {
    rows = FolderDetailRows(node.Path.Str(), &node, id);
  }
  // Only where the MFT was tried: a folder scan's page stays as it always was.
  if (EngineReport->UsedMft || !EngineReport->FallbackReason.empty()) {
    for (TInfoPageRow& row : ScanEngineRows(*EngineReport)) rows.push_back(std::move(row));
  }
  ListView1->ShowRows(rows, drive ? 200 : 100, drive ? 160 : 270);
}

std::vector<TInfoPageRow> TVLMAnalyzerForm::DriveScanPageRows(const std::string& root,
                                                              const TFolderData& node) {
  // The drive as the scan left it (its root is focused as the scan ends), not as it was when
  // the drive page was first shown: what the scan did not find is the difference of the two.
  if (!ScannedDrive) ScannedDrive = Services.VolumeQuery(root);
  std::vector<TInfoPageRow> rows = DrivePageRows(DriveInfoCache.Get(root));
  const std::vector<TInfoPageRow> scan =
      DriveScanRows(node, *ScannedDrive, QLocale::system().decimalPoint().toStdString());
  // Below the drive's own figures, where it is seen without scrolling; the features follow.
  const auto features = std::find_if(rows.begin(), rows.end(),
                                     [](const TInfoPageRow& row) { return row.Field.empty(); });
  rows.insert(features, scan.begin(), scan.end());
  return rows;
}

}  // namespace Vellumetric
