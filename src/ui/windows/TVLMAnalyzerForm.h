#pragma once

#include <QCheckBox>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exchange/TNcduLister.h"
#include "exclude/TExclusionRules.h"
#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TTypedFileList.h"
#include "scan/TVLMFolderRefreshThread.h"
#include "system/InfoPageRows.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfoCache.h"
#include "system/TWindowsInfo.h"
#include "system/ntfs/TScanEngineReport.h"
#include "ui/progress/TVLMDiskScanProgressForm.h"
#include "ui/results/TScanHistoryHook.h"
#include "ui/results/changes/TChangesTab.h"
#include "ui/results/dupes/TDuplicatesTabController.h"
#include "ui/results/find/TFindTabController.h"
#include "ui/results/folders/TFolderTreeController.h"
#include "ui/results/map/TMapTabController.h"
#include "ui/results/statistics/TStatisticsTab.h"
#include "ui/results/summary/TSummaryViewController.h"
#include "ui/services/TDesktopShell.h"
#include "ui/start/TVLMDriveListForm.h"
#include "ui/start/TVLMQuickInfoForm.h"
#include "ui/windows/TAnalyzerControls.h"
#include "ui/windows/TAnalyzerServices.h"

namespace Vellumetric {

class TAnalyzerCommands;

// The working window: toolbar, the start view with the drive tiles and the drive page, and (with
// the scan commands) the results views. Owns every list of the program's data. Its controls and
// their layout are inherited from TAnalyzerControls; this class wires the flows.
class TVLMAnalyzerForm final : public QWidget, public TAnalyzerControls {
 public:
  TVLMAnalyzerForm(QWidget* parent, int dpi, TAnalyzerServices services = {});
  ~TVLMAnalyzerForm() override;

  void Initialize();
  void ShowStartView();
  void ShowDriveInfo(const std::string& root);
  // The folder page; `id`, the node's id in the folder tree, adds its change since the compared
  // scan when there is one.
  void ShowFolderDetails(const std::string& path, const TFolderData* node, TNodeId id = NoNode);
  // Stop requests of the closing main window and of Back.
  void CancelSummary();
  void CancelScan();

  // The scan commands.
  void ScanDriveButtonClick();
  void ScanDriveMenuItem(std::size_t index);
  void DriveOpen(std::size_t index);
  void ScanSpecialFolder(std::size_t index);
  void BrowseForFolder();
  // A folder-mode scan of `path` (Browse after the dialog, and the command line).
  void ScanFolder(const std::string& path);
  // An ncdu export (plain, .gz or .zst) read as a scan into the results view, read-only: what
  // needs the disk (Scan Again, opening or showing files) is off. A file that cannot be read
  // whole is reported and the start view stays.
  void OpenScanFile(const std::string& path);
  // "Open Scan File...": a file dialog, then OpenScanFile.
  void ChooseScanFile();
  // Scan Folder's "NTFS Image...": an image file or a partition read through its MFT.
  void OpenNtfsImage();
  void ScanNtfsImage(const std::string& path);
  // Load a saved summary: the saved-summary view filled from the summary file at `path`.
  void LoadSavedSummary(const std::string& path);
  void BackClick();
  // Scan Again: the root of the results shown scanned once more in the same mode, once a summary
  // still being made has stopped.
  void ScanAgainClick();
  void SummaryThreadTimerTimer();
  void ShowFolderInfo(TNodeId id, const TFolderData& node, bool topLevel);
  // Two stored scans of one folder in the Changes tab, without a scan (the history window's
  // Compare); Back returns to the start view.
  void ShowStoredComparison(std::int64_t fromId, std::int64_t toId);
  // The Find tab in front with its name field focused; false outside a scan's results.
  bool ShowFind();
  // "Export...": the export dialog over the results of the scan.
  void ShowExport();
  // What every view's shares, order, map and biggest files go by: the bytes files hold, or what
  // they take on disk (the Size on Disk button, pressed).
  void SetMeasure(TMeasure measure);
  [[nodiscard]] TMeasure Measure() const noexcept { return ByMeasure; }

  std::atomic<bool> Scanning{false};
  std::atomic<bool> SummaryBusy{false};
  std::atomic<bool> Refreshing{false};  // a folder of the results is scanned again
  // Scan This Folder Again (F6) and, for a folder the rules left out, Scan Now (without them).
  void RescanFolder(TNodeId node, bool scanNow);
  // The exclusion rules (the options' Exclusions page) and the box that applies them to a scan.
  TExclusionRuleList ExclusionRules;
  QCheckBox* ApplyRulesBox = nullptr;
  QAction* ApplyRulesAction = nullptr;  // the box's place in the toolbar
  std::atomic<bool> DuplicatesBusy{false};
  // True from the start of a scan or summary until its end message has been handled: a worker
  // clears its flag before that message arrives, and the message may start the next step.
  [[nodiscard]] bool WorkPending() const;
  int SummaryStopRequests = 0;
  int ScanCancelRequests = 0;

  TVLMQuickInfoForm* QuickInfo = nullptr;
  TVLMDiskScanProgressForm* ProgressForm = nullptr;
  QTimer* SummaryThreadTimer = nullptr;
  TDesktopShell* Shell = nullptr;
  TFolderTreeController* FolderView = nullptr;
  TSummaryViewController* Summary = nullptr;

  TDiskList DiskList;
  TDriveInfoCache DriveInfoCache;
  std::string CurrentPath;
  TWindowsInfo WindowsInfo;
  std::string WindowsFolder;
  std::string SpecialFolders[5];  // profile, documents, music, pictures, videos
  int SummaryPanelHeight = 0;
  std::vector<std::string> ScanRoots;
  TFolderTree FolderTree;
  // Whether any folder of FolderTree was left out by a rule, worked out once for the tree as it
  // stands: most scans leave nothing out, and every page shown would otherwise follow a tree of
  // a million folders to say so. The folder count it was worked out at; none once the tree changed.
  mutable std::size_t ExcludedCheckedAt = static_cast<std::size_t>(-1);
  mutable bool ExcludedAnywhere = false;
  TTypedFileList TypedFiles;  // emptied by the summary, which takes its entries over
  TBiggestFileList BiggestFiles;
  TBiggestFileList BiggestOnDisk{TMeasure::Disk};
  TFileExtDescList Groups;
  TFileExtList Extensions;
  std::string SaveNameText;
  std::string OpenPathText;
  TAnalyzerCommands* Commands = nullptr;  // saved summaries, options, upgrade, help
  TFileRecordStore FileRecords;           // the scan's files, for the map
  std::unique_ptr<TMapTabController> MapTab;
  std::unique_ptr<TFindTabController> FindTab;
  std::unique_ptr<TDuplicatesTabController> DupesTab;
  std::unique_ptr<TScanHistoryHook> History;
  std::unique_ptr<TChangesTab> ChangesTab;
  // The reader of the file whose scan the results show; null for a scan of the disk.
  std::unique_ptr<TNcduLister> ScanFile;
  // Where the file's scan came from, shown above the summary: root, writer, time, file.
  std::string ScanFileCaption;
  std::unique_ptr<TStatisticsTab> StatsTab;
  // Shows the summary page the results open on; the first unless the window remembers another.
  std::function<void()> ShowSummaryPage;

 protected:
  bool event(QEvent* event) override;

 private:
  void ShowAbout();
  void EnterScanView();
  void StartScan(bool drives);
  void ScanAgain();
  void ScanFinished();
  // The end of a scan's second turn, once its tree has been painted.
  void ScanShown();
  static constexpr auto ScanShownEvent = static_cast<QEvent::Type>(QEvent::User + 1502);
  void ScanCancelled();
  void StartSummary();
  void SummaryFinished();
  void DestroyProgressForm();
  void DestroyQuickInfo();
  void WireSavedSummaries();
  void WireHistory();
  void WireMeasure();
  // The rows of a drive scan's root, with what the scan found of the drive's space.
  [[nodiscard]] std::vector<TInfoPageRow> FolderDetailRows(const std::string& path,
                                                           const TFolderData* node, TNodeId id);
  // How many folders below `id` the rules left out, or that it was left out itself.
  void AddExclusionRow(std::vector<TInfoPageRow>& rows, const TFolderData& node, TNodeId id) const;
  [[nodiscard]] std::vector<TInfoPageRow> DriveScanPageRows(const std::string& root,
                                                            const TFolderData& node);
  // The General and Detail pages: shown for a scan and a saved summary, not for two stored scans.
  void ShowSummaryTabs(bool shown);
  void SetupExclusions();
  void RefreshFinished(bool done);
  [[nodiscard]] std::shared_ptr<const TExclusionRules> RulesForScan() const;
  // At the end of a file's walk: true, with the start view back and the reason shown, when the
  // file could not be read whole.
  bool ScanFileFailed();
  // How the coming scan reads its root: the MFT for an image, and first for a drive where
  // drives are raw volumes; the folder listing otherwise.
  [[nodiscard]] TListerFactory ListersForScan(bool drives);
  // The information page of a scan's root, with the engine that read it.
  void ShowRootInfo(TNodeId id, const TFolderData& node);

  int Dpi;
  TAnalyzerServices Services;
  bool EndTurnsPending = false;  // the end of a scan has turns of the event loop still to come
  std::uint32_t ScanExcludedFolders = 0;  // what the last walk left out, set by its worker
  bool LastScanDrives = false;            // the mode of the scan whose results are shown
  bool ScanAgainPending = false;          // Scan Again waits for the summary to stop
  TMeasure ByMeasure = TMeasure::Size;
  TMeasure ScanMeasure = TMeasure::Size;     // the one the scan's worker sorted the tree by
  std::optional<TVolumeFacts> ScannedDrive;  // a drive scan's drive, as it was at the scan's end
  bool LastScanRules = false;  // the rules applied to the scan whose results are shown
  std::unique_ptr<TThreadBridge> RefreshBridge;
  std::unique_ptr<TVLMFolderRefreshThread> RefreshThread;
  std::unique_ptr<TScanDisplay> RefreshProgress;
  TListerFactory NextListers;  // what the next scan reads instead of the disk
  bool LastScanImage = false;  // the scan reads an NTFS image or partition
  std::shared_ptr<TScanEngineReport> EngineReport = std::make_shared<TScanEngineReport>();
  // Set by a cancel: a scan still reading the MFT stops there.
  std::shared_ptr<std::atomic<bool>> EngineStop = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace Vellumetric
