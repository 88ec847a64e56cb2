#pragma once

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTreeView>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "model/TBiggestFileList.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TSummaryTree.h"
#include "model/TTypedFileList.h"
#include "scan/TSummaryDisplay.h"
#include "scan/TVLMSummaryThread.h"
#include "ui/common/TVLMTitleBarForm.h"
#include "ui/models/TSummaryTreeModel.h"
#include "ui/services/TDesktopShell.h"
#include "ui/services/TQtThreadBridge.h"

namespace Vellumetric {

// The controls of the summary panel this controller drives (they belong to the analyzer).
struct TSummaryControls {
  QTreeView* GeneralTree = nullptr;  // VirtualStringTree1
  QTreeView* DetailTree = nullptr;   // VirtualStringTree2
  QProgressBar* ProgressBar = nullptr;
  QLabel* ProgressLabel = nullptr;
  QWidget* ProgressStrip = nullptr;  // Panel5
  QLabel* RootCaption = nullptr;     // StaticText1
  TVLMTitleBarForm* TitleBar = nullptr;
};

// The General and Detail pages: their models, the "20 Biggest Files" section, the summary worker
// and the file actions of both pages. The worker fills the Detail tree while the pages show
// nothing of it; the Detail model attaches once the worker has reported its end. The measure
// picks which biggest files the General page lists and orders the Detail page.
class TSummaryViewController final : public QObject, public TSummaryDisplay {
 public:
  TSummaryViewController(QObject* parent, const TSummaryControls& controls, TDesktopShell& shell,
                         int dpi);
  ~TSummaryViewController() override;

  // Empties the General page and its images (a scan is starting).
  void ClearGeneral();
  // Empties the Detail page: its file nodes name file records that a new scan clears.
  void ClearDetail();
  // The section from the biggest files by size and, when given, by what they take on disk (the
  // page shows the one of the measure; the one by size is the one saved). Their records and
  // folders, when given, let a file's tooltip say what it is on the disk.
  void BuildBiggestFilesSection(const TBiggestFileList& biggest,
                                const TBiggestFileList* onDisk = nullptr,
                                const TFileRecordStore* records = nullptr,
                                const TFolderTree* folders = nullptr);
  // What the General page lists and the Detail page is ordered by. A finished Detail page is
  // sorted again beside the window, as at the summary's end.
  void SetMeasure(TMeasure measure);
  // Clears the Detail tree and starts the worker over the typed files, which it empties; the
  // Detail tree's file nodes then refer to `records` and `folders`, which must stay until the
  // page is cleared. `notify` receives WM_SUMMARY_FINISHED.
  void StartSummary(TTypedFileList& files, const TFileRecordStore& records,
                    const TFolderTree& folders, const TFileExtDescList& groups,
                    const std::string& sourcePath, std::atomic<bool>& busy, QObject* notify);
  // Clears both pages and starts the worker reading the summary file `path` into them.
  void StartLoad(const std::string& path, std::atomic<bool>& busy, QObject* notify);
  // WM_SUMMARY_FINISHED: sorts the Detail tree, then shows it with the finished title. The sort
  // of a few hundred thousand files runs beside the window (the busy flag stays up meanwhile),
  // so the window never stalls on it.
  void SummaryFinished(bool fromScan, const std::string& firstRoot);
  void CancelSummary();
  [[nodiscard]] bool HasWorker() const noexcept { return Worker != nullptr || Sorter.joinable(); }

  [[nodiscard]] const std::string& SelectedFilePath() const noexcept { return SelectedFile; }
  void OpenSelectedFile();
  void OpenSelectedFileLocation();

  TSummaryTree GeneralNodes;      // by size: what Save Summary writes
  TSummaryTree GeneralDiskNodes;  // by what the files take on disk; empty without a scan
  TSummaryTree DetailNodes;
  std::vector<QIcon> GeneralImages;  // ImageList8
  TSummaryTreeModel* GeneralModel = nullptr;
  TSummaryTreeModel* DetailModel = nullptr;
  QMenu* PopupMenu3 = nullptr;
  QAction* OpenFile1 = nullptr;
  QAction* OpenFileLocation1 = nullptr;

  // The worker's calls (on the interface thread).
  void EnableTrees(bool enabled) override;
  void ProgressTick() override;
  void SetLoadTotal(std::int32_t total) override;
  void SetTitleText(const std::string& text) override;
  std::int32_t ResetGeneralImages() override;
  std::int32_t AddGeneralIcon(const std::string& path) override;
  void ExpandGeneralSection(TNodeId node) override;

 private:
  void PrepareTree(QTreeView* tree, TSummaryTreeModel* model, int sortColumn);
  static void FitColumns(QTreeView* tree, const TSummaryTreeModel& model);
  void FocusChanged(const TSummaryTreeModel* model, const QModelIndex& current);
  void StopWorker();
  void ShowSortedDetail();
  void SortDetail();
  void ShowGeneral();
  [[nodiscard]] TMeasure DetailMeasure() const;
  TNodeId BuildSection(TSummaryTree& page, const TBiggestFileList& biggest,
                       std::unordered_map<TNodeId, TFileId>& files);
  void StartWorker(std::atomic<bool>& busy, QObject* notify);
  void ResetProgress();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TSummaryControls Controls;
  TDesktopShell& Shell;
  int Dpi;
  std::string SelectedFile;
  std::unique_ptr<TQtThreadBridge> Bridge;
  std::unique_ptr<TVLMSummaryThread> Worker;
  std::thread Sorter;
  std::atomic<bool>* Busy = nullptr;
  bool FromScan = false;
  std::string FirstRoot;
  bool Loading = false;  // the worker fills the General page too, so it shows only at the end
  TMeasure Measure = TMeasure::Size;
  TMeasure DetailSortedBy = TMeasure::Size;           // by the last sort started
  std::unordered_map<TNodeId, TFileId> GeneralFiles;  // each file node's record, per page
  std::unordered_map<TNodeId, TFileId> GeneralDiskFiles;
  const TFileRecordStore* Records = nullptr;  // the General page's, for its tooltips
  const TFolderTree* Folders = nullptr;
  static constexpr qint64 kProgressRedrawMs = 40;
  int TickedTo = 0;  // the progress the ticks have reached; the bar may show less for a moment
  QElapsedTimer TickShown;
};

}  // namespace Vellumetric
