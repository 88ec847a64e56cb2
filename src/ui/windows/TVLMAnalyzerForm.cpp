#include "ui/windows/TVLMAnalyzerForm.h"

#include "exclude/FolderRuleCheck.h"
#include "system/ntfs/NtfsVolumeSource.h"

#include <QGridLayout>
#include <QLocale>

#include "model/VLMMessages.h"
#include "system/SystemFolders.h"
#include "system/SystemInfo.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"
#include "ui/dialogs/TVLMAboutForm.h"
#include "ui/windows/TAnalyzerCommands.h"

namespace Vellumetric {

TVLMAnalyzerForm::TVLMAnalyzerForm(QWidget* parent, int dpi, TAnalyzerServices services)
    : QWidget(parent),
      DriveInfoCache(services.GatherDrive),
      Dpi(dpi),
      Services(std::move(services)) {
  setObjectName(QStringLiteral("VLMAnalyzerForm"));
  SetupControls(this, Dpi);
  connect(ToolButton4, &QToolButton::clicked, this, [this] { ShowAbout(); });
  Commands = new TAnalyzerCommands({.Window = this,
                                    .UpgradeButton = ToolButton5,
                                    .OptionsButton = ToolButton7,
                                    .HelpButton = ToolButton9,
                                    .OpenButton = ToolButton10,
                                    .HistoryButton = ToolButton11,
                                    .Groups = &Groups,
                                    .Extensions = &Extensions,
                                    .CurrentPath = &CurrentPath,
                                    .SaveNameText = &SaveNameText,
                                    .OpenPathText = &OpenPathText,
                                    .LayoutDpi = Dpi,
                                    .Compact = &Compact});
  Shell = new TDesktopShell(this, Services.BusAddress);
  FolderView = new TFolderTreeController(VirtualStringTree, *Shell, Dpi);
  FolderView->FocusChanged = [this](TNodeId id, const TFolderData& node, bool topLevel) {
    ShowFolderInfo(id, node, topLevel);
  };
  TSummaryControls controls;
  controls.GeneralTree = VirtualStringTree1;
  controls.DetailTree = VirtualStringTree2;
  controls.ProgressBar = ProgressBar1;
  controls.ProgressLabel = Label1;
  controls.ProgressStrip = Panel5;
  controls.RootCaption = StaticText1;
  controls.TitleBar = SummaryTitleBar;
  Summary = new TSummaryViewController(this, controls, *Shell, Dpi);
  WireSavedSummaries();
  MapTab = std::make_unique<TMapTabController>(PageControl1, VirtualStringTree, *FolderView->Model,
                                               *Shell);
  FindTab = std::make_unique<TFindTabController>(PageControl1, *Shell, Dpi);
  FindTab->OnFolderFocused = [this](TNodeId folder) { MapTab->FocusFolder(folder); };
  FindTab->OnMatchFolders = [this](const std::vector<TNodeId>& folders) {
    MapTab->Map->SetMarkedFolders(folders);
  };
  DupesTab = std::make_unique<TDuplicatesTabController>(PageControl1, *Shell, DuplicatesBusy, Dpi);
  // One worker at a time: the search waits for the summary.
  DupesTab->SlotFree = [this] {
    return !SummaryBusy.load() && !Summary->HasWorker() && !EndTurnsPending;
  };
  DupesTab->OnFolderFocused = [this](TNodeId folder) { MapTab->FocusFolder(folder); };
  DupesTab->OnMarkFolders = [this](const std::vector<TNodeId>& folders) {
    MapTab->Map->SetMarkedFolders(folders);
  };
  StatsTab = std::make_unique<TStatisticsTab>(PageControl1, Dpi);
  StatsTab->OnFind = [this](const TFindPreset& preset) { FindTab->ShowPreset(preset); };
  History = std::make_unique<TScanHistoryHook>(static_cast<QBoxLayout*>(Panel6->layout()),
                                               Services.HistoryDatabase);
  WireHistory();
  WireMeasure();
  SummaryThreadTimer = new QTimer(this);
  SummaryThreadTimer->setInterval(200);
  connect(SummaryThreadTimer, &QTimer::timeout, this, [this] { SummaryThreadTimerTimer(); });
  connect(ToolButton1, &QToolButton::clicked, this, [this] { ScanDriveButtonClick(); });
  connect(ToolButton2, &QToolButton::clicked, this, [this] { BrowseForFolder(); });
  connect(ToolButton6, &QToolButton::clicked, this, [this] { BackClick(); });
  connect(ExportButton, &QToolButton::clicked, this, [this] { ShowExport(); });
  connect(ScanAgainButton, &QToolButton::clicked, this, [this] { ScanAgainClick(); });
  connect(OpenScanFileButton, &QToolButton::clicked, this, [this] { ChooseScanFile(); });
  ShowSummaryPage = [this] { PageControl1->setCurrentIndex(0); };
}

// The workers write into this window's lists: they are stopped before any list goes.
TVLMAnalyzerForm::~TVLMAnalyzerForm() {
  DestroyProgressForm();
  RefreshThread.reset();  // stops and joins a folder still being scanned again
  // The history's thread is joined while the Changes tab lives; what it queued for the tab is
  // skipped.
  ChangesTab->Clear();
  History.reset();
  StatsTab.reset();  // its worker may still read the file records
  DupesTab.reset();  // its search reads the file records and the tree
  FindTab.reset();   // its search may still read the file records
  MapTab.reset();    // its renderer may still read the folder tree
  delete Summary;
  Summary = nullptr;
}

void TVLMAnalyzerForm::Initialize() {
  ToolBar1->setFixedHeight(ToolButton1->sizeHint().height() + 2);
  SummaryPanelHeight = Scaled(297, Dpi);
  GatherSystemInfo(WindowsInfo, WindowsFolder);
  Services.BuildDisks(DiskList);
  Commands->StartLoadingGroups();
  ShowStartView();
  BuildScanDriveMenu(DiskList, [this](std::size_t i) { ScanDriveMenuItem(i); });
  SpecialFolders[0] = GetProfileFolder();
  SpecialFolders[1] = GetDocumentsFolder();
  SpecialFolders[2] = GetMusicFolder();
  SpecialFolders[3] = GetPicturesFolder();
  SpecialFolders[4] = GetVideosFolder();
  // On Windows a drive scan reads the MFT by itself; elsewhere an image or a partition is
  // opened as such.
  BuildScanFolderMenu(
      SpecialFolders, [this](std::size_t i) { ScanSpecialFolder(i); },
      [this] { BrowseForFolder(); },
      DriveRootsAreRawVolumes() ? std::function<void()>() : [this] { OpenNtfsImage(); });
  SummaryTitleBar->SetTitle(QStringLiteral("Summary"), true);
  SummaryTitleBar->show();
  PageControl1->setCurrentIndex(0);
  SetupExclusions();
}

void TVLMAnalyzerForm::ShowStartView() {
  SetButtonShown(ToolButton6, false);
  SetButtonShown(ExportButton, false);
  SetButtonShown(MeasureButton, false);
  SetButtonShown(ScanAgainButton, false);
  Splitter1->widget(0)->show();  // hidden by the saved-summary view
  Splitter1->handle(1)->hide();
  Panel4->hide();
  DestroyProgressForm();
  ScanFile.reset();  // what a file held is not shown again
  Shell->SetPathsAreLocal(true);
  if (!QuickInfo) {
    QuickInfo = new TVLMQuickInfoForm(Panel2, DiskList, this, Dpi, Services.VolumeQuery);
    static_cast<QGridLayout*>(Panel2->layout())->addWidget(QuickInfo, 0, 0);
    QuickInfo->ShowDriveList();
    QuickInfo->show();
    QuickInfo->raise();
    // Covered, the folder tree is out of the way of Tab and of screen readers too.
    VirtualStringTree->hide();
    // Without a fixed drive the page stays empty.
    if (!DiskList.empty()) ShowDriveInfo(DiskList.front().RootPath);
  }
  for (QToolButton* b :
       {ToolButton1, ToolButton2, ToolButton7, ToolButton10, OpenScanFileButton, ToolButton11}) {
    SetButtonShown(b, true);
  }
  if (ApplyRulesBox) ApplyRulesAction->setVisible(true);
  Panel1->show();
  Panel2->show();
  TypedFiles.Clear();
  update();
}

void TVLMAnalyzerForm::ShowDriveInfo(const std::string& root) {
  const TDriveInfo& drive = DriveInfoCache.Get(root);
  CurrentPath = root;
  ListView1->ShowRows(DrivePageRows(drive), 200, 160);
}

void TVLMAnalyzerForm::ShowFolderDetails(const std::string& path, const TFolderData* node,
                                         TNodeId id) {
  ListView1->ShowRows(FolderDetailRows(path, node, id), 100, 270);
}

std::vector<TInfoPageRow> TVLMAnalyzerForm::FolderDetailRows(const std::string& path,
                                                             const TFolderData* node, TNodeId id) {
  std::vector<TInfoPageRow> rows =
      FolderPageRows(path, node, QLocale::system().decimalPoint().toStdString());
  if (node && id != NoNode) {
    if (auto change = ChangesTab->FolderPageRow(id)) rows.push_back(std::move(*change));
    AddExclusionRow(rows, *node, id);
  }
  return rows;
}

void TVLMAnalyzerForm::AddExclusionRow(std::vector<TInfoPageRow>& rows, const TFolderData& node,
                                       TNodeId id) const {
  if (ExcludedCheckedAt != FolderTree.Count()) {
    ExcludedAnywhere = AnyFolderExcluded(FolderTree);
    ExcludedCheckedAt = FolderTree.Count();
  }
  const std::uint32_t out = ExcludedAnywhere ? ExcludedFoldersBelow(FolderTree, id) : 0;
  if (out > 0 || node.Excluded) {
    rows.push_back({node.Excluded ? "Left out by a rule" : "Folders left out by rules",
                    node.Excluded ? "Yes (not scanned)" : std::to_string(out), -1, 1});
  }
}

void TVLMAnalyzerForm::CancelSummary() {
  ++SummaryStopRequests;
  Summary->CancelSummary();
}

bool TVLMAnalyzerForm::WorkPending() const {
  return Scanning.load() || SummaryBusy.load() || ProgressForm || Summary->HasWorker() ||
         EndTurnsPending || RefreshThread || DuplicatesBusy.load() || DupesTab->HasWorker();
}

void TVLMAnalyzerForm::CancelScan() {
  ++ScanCancelRequests;
  EngineStop->store(true);  // a scan still reading the MFT stops there
  if (ProgressForm) ProgressForm->CancelScan();
  if (RefreshThread) RefreshThread->Terminate();
}

void TVLMAnalyzerForm::ShowAbout() {
  TVLMAboutForm about(this, window()->windowTitle(), WindowsInfo);
  about.exec();
}

bool TVLMAnalyzerForm::event(QEvent* event) {
  if (event->type() == ScanShownEvent) {
    ScanShown();
    return true;
  }
  const auto message = static_cast<std::uint32_t>(event->type());
  if (message == WM_REFRESH_FINISHED || message == WM_REFRESH_CANCELLED) {
    RefreshFinished(message == WM_REFRESH_FINISHED);
    return true;
  }
  if (message < WM_DRIVE_SELECTED || message > WM_OPEN_SUMMARY) return QWidget::event(event);
  const auto index = static_cast<TVLMMessageEvent*>(event)->WParam;
  switch (message) {
    case WM_DRIVE_SELECTED:
      if (index < DiskList.size()) ShowDriveInfo(DiskList[index].RootPath);
      return true;
    case WM_DRIVE_OPEN:
      DriveOpen(index);
      return true;
    case WM_SCAN_FINISHED:
      ScanFinished();
      return true;
    case WM_SCAN_CANCELLED:
      ScanCancelled();
      return true;
    case WM_SUMMARY_FINISHED:
      SummaryFinished();
      return true;
    default:
      // 2031-2033: the saved-summary commands
      if (Commands->HandleMessage(event)) return true;
      return QWidget::event(event);
  }
}

}  // namespace Vellumetric
