#pragma once

#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TTypedFileList.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfoCache.h"
#include "system/TWindowsInfo.h"
#include "system/ntfs/TScanEngineReport.h"
#include "ui/progress/TVLMDiskScanProgressForm.h"
#include "ui/results/TScanHistoryHook.h"
#include "ui/results/changes/TChangesTab.h"
#include "ui/results/find/TFindTabController.h"
#include "ui/results/folders/TFolderTreeController.h"
#include "ui/results/map/TMapTabController.h"
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

  std::atomic<bool> Scanning{false};
  std::atomic<bool> SummaryBusy{false};
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
  TTypedFileList TypedFiles;  // emptied by the summary, which takes its entries over
  TBiggestFileList BiggestFiles;
  TFileExtDescList Groups;
  TFileExtList Extensions;
  std::string SaveNameText;
  std::string OpenPathText;
  TAnalyzerCommands* Commands = nullptr;  // saved summaries, options, upgrade, help
  TFileRecordStore FileRecords;           // the scan's files, for the map
  std::unique_ptr<TMapTabController> MapTab;
  std::unique_ptr<TFindTabController> FindTab;
  std::unique_ptr<TScanHistoryHook> History;
  std::unique_ptr<TChangesTab> ChangesTab;
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
  void ScanCancelled();
  void StartSummary();
  void SummaryFinished();
  void DestroyProgressForm();
  void DestroyQuickInfo();
  void WireSavedSummaries();
  void WireHistory();
  // The General and Detail pages: shown for a scan and a saved summary, not for two stored scans.
  void ShowSummaryTabs(bool shown);
  // How the coming scan reads its root: the MFT for an image, and first for a drive where
  // drives are raw volumes; the folder listing otherwise.
  [[nodiscard]] TListerFactory ListersForScan(bool drives);
  // The information page of a scan's root, with the engine that read it.
  void ShowRootInfo(TNodeId id, const TFolderData& node);

  int Dpi;
  TAnalyzerServices Services;
  bool EndTurnsPending = false;   // the end of a scan has turns of the event loop still to come
  bool LastScanDrives = false;    // the mode of the scan whose results are shown
  bool ScanAgainPending = false;  // Scan Again waits for the summary to stop
  bool LastScanImage = false;     // the scan reads an NTFS image or partition
  std::shared_ptr<TScanEngineReport> EngineReport = std::make_shared<TScanEngineReport>();
  // Set by a cancel: a scan still reading the MFT stops there.
  std::shared_ptr<std::atomic<bool>> EngineStop = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace Vellumetric
