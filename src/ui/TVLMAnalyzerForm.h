#pragma once

#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFileTypeData.h"
#include "model/TFolderData.h"
#include "system/NativePlatform.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfoCache.h"
#include "system/TWindowsInfo.h"
#include "ui/TDesktopShell.h"
#include "ui/TFolderTreeController.h"
#include "ui/TInfoListView.h"
#include "ui/TMapTabController.h"
#include "ui/TScanHistoryHook.h"
#include "ui/TSummaryViewController.h"
#include "ui/TVLMDiskScanProgressForm.h"
#include "ui/TVLMDriveListForm.h"
#include "ui/TVLMQuickInfoForm.h"
#include "ui/TVLMTitleBarForm.h"

namespace Vellumetric {

class TAnalyzerCommands;

// What the analyzer asks of the system, replaceable in tests.
struct TAnalyzerServices {
  std::function<void(TDiskList&)> BuildDisks = [](TDiskList& d) { BuildDiskList(d); };
  TVLMDriveListForm::TVolumeQuery VolumeQuery = [](const std::string& root) {
    return QueryVolumeFacts(root);
  };
  TDriveInfoCache::TGather GatherDrive = [](std::string_view root) {
    return GatherDriveInfo(root, QLocale::system().decimalPoint().toStdString());
  };
  TListerFactory Listers = [] { return CreateDirectoryLister(); };
  // Fills the group and extension lists from the group database.
  std::function<void(TFileExtDescList&, TFileExtList&)> LoadGroups;
  // The folder dialog of Browse; empty when the user chose nothing.
  std::function<std::string(QWidget* parent)> ChooseFolder;
  // The session bus to find the file manager on; empty for the user's own.
  QString BusAddress;
  // The scan history's file, asked when the first scan ends; empty keeps no history.
  std::function<std::string()> HistoryDatabase = [] {
    return TScanHistoryHook::StandardDatabasePath();
  };
};

// The working window: toolbar, the start view with the drive tiles and the drive page, and (with
// the scan commands) the results views. Owns every list of the program's data.
class TVLMAnalyzerForm final : public QWidget {
 public:
  TVLMAnalyzerForm(QWidget* parent, int dpi, TAnalyzerServices services = {});
  ~TVLMAnalyzerForm() override;

  void SetCompactToolbar(bool compact);
  void Initialize();
  void ShowStartView();
  void ShowDriveInfo(const std::string& root);
  void ShowFolderDetails(const std::string& path, const TFolderData* node);
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
  // Load a saved summary: the saved-summary view filled from the summary file at `path`.
  void LoadSavedSummary(const std::string& path);
  void BackClick();
  void SummaryThreadTimerTimer();
  void ShowFolderInfo(const TFolderData& node, bool topLevel);
  [[nodiscard]] bool IsButtonShown(const QToolButton* button) const;

  std::atomic<bool> Scanning{false};
  std::atomic<bool> SummaryBusy{false};
  // True from the start of a scan or summary until its end message has been handled: a worker
  // clears its flag before that message arrives, and the message may start the next step.
  [[nodiscard]] bool WorkPending() const;
  int SummaryStopRequests = 0;
  int ScanCancelRequests = 0;

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QToolButton* ToolButton5 = nullptr;
  QToolButton* ToolButton6 = nullptr;
  QToolButton* ToolButton7 = nullptr;
  QAction* ToolButton8 = nullptr;  // the separator
  QToolButton* ToolButton9 = nullptr;
  QToolButton* ToolButton10 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QMenu* PopupMenu2 = nullptr;
  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  QWidget* Panel4 = nullptr;
  QWidget* Panel5 = nullptr;
  QWidget* Panel6 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QTreeView* VirtualStringTree = nullptr;
  QTreeView* VirtualStringTree1 = nullptr;
  QTreeView* VirtualStringTree2 = nullptr;
  TInfoListView* ListView1 = nullptr;
  QLabel* StaticText1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* Label1 = nullptr;
  TVLMQuickInfoForm* QuickInfo = nullptr;
  TVLMDiskScanProgressForm* ProgressForm = nullptr;
  QTimer* SummaryThreadTimer = nullptr;
  TDesktopShell* Shell = nullptr;
  TFolderTreeController* FolderView = nullptr;
  TSummaryViewController* Summary = nullptr;
  TVLMTitleBarForm* SummaryTitleBar = nullptr;

  TDiskList DiskList;
  TDriveInfoCache DriveInfoCache;
  std::string CurrentPath;
  TWindowsInfo WindowsInfo;
  std::string WindowsFolder;
  std::string SpecialFolders[5];  // profile, documents, music, pictures, videos
  int SummaryPanelHeight = 0;
  std::vector<std::string> ScanRoots;
  TFolderTree FolderTree;
  TTypedFileList TypedFiles;
  TBiggestFileList BiggestFiles;
  TFileExtDescList Groups;
  TFileExtList Extensions;
  std::string SaveNameText;
  std::string OpenPathText;
  TAnalyzerCommands* Commands = nullptr;  // saved summaries, options, upgrade, help
  TFileRecordStore FileRecords;           // the scan's files, for the map
  std::unique_ptr<TMapTabController> MapTab;
  std::unique_ptr<TScanHistoryHook> History;

  [[nodiscard]] int LayoutDpi() const noexcept { return Dpi; }
  [[nodiscard]] bool IsCompact() const noexcept { return Compact; }

 protected:
  bool event(QEvent* event) override;

 private:
  QToolButton* AddButton(const QString& caption, const QString& icon);
  void BuildToolBar();
  void BuildPanels();
  void BuildScanDriveMenu();
  void BuildScanFolderMenu();
  void SetButtonShown(QToolButton* button, bool shown);
  void SetToolbarImages(int size);
  void ShowAbout();
  void EnterScanView();
  void StartScan(bool drives);
  void ScanFinished();
  void ScanCancelled();
  void StartSummary();
  void SummaryFinished();
  void DestroyProgressForm();
  void DestroyQuickInfo();
  void WireSavedSummaries();

  int Dpi;
  TAnalyzerServices Services;
  bool Compact = false;
  std::map<const QToolButton*, QAction*> ButtonActions;
  std::map<const QToolButton*, QString> ButtonImages;
};

}  // namespace Vellumetric
