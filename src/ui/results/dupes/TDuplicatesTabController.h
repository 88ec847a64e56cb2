#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "duplicates/TDuplicateSearchThread.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/TContentSource.h"
#include "ui/models/TDuplicatesModel.h"
#include "ui/services/TDesktopShell.h"
#include "ui/services/TQtThreadBridge.h"

namespace Vellumetric {

// The "Duplicates" tab of the results view: "Find Duplicates" with the smallest file size and the
// byte check beside it, then the groups of copied files and folders, most wasted space first. The
// search is a worker like the scan and the summary: it starts only when no other worker runs
// (asked for while the summary runs, it starts when that ends), shows how many bytes it has read
// of how many, and Cancel keeps the groups found so far. The busy flag given is up while it runs,
// so that Back and closing wait for it. A click on a copy makes its folder current in the folder
// tree (OnFolderFocused) and the group's folders are outlined on the map (OnMarkFolders); a
// double-click shows the copy in the file manager. Files are only read, never changed.
class TDuplicatesTabController final : public QObject {
 public:
  TDuplicatesTabController(QTabWidget* tabs, TDesktopShell& shell, std::atomic<bool>& busy,
                           int dpi);
  // Stops and waits for a search: the scan it reads may go next.
  ~TDuplicatesTabController() override;
  TDuplicatesTabController(const TDuplicatesTabController&) = delete;
  TDuplicatesTabController& operator=(const TDuplicatesTabController&) = delete;

  // Before a scan refills the tree and the records: stops a search, forgets its groups and hides
  // the tab.
  void ScanStarting();
  // After a scan has finished: the tab shows, ready to search.
  void ScanFinished(const TFolderTree& tree, const TFileRecordStore& files);
  // "Find Duplicates".
  void FindClick();
  // "Cancel": the search stops soon and shows what it has found.
  void Cancel();
  // A search runs or waits to start.
  [[nodiscard]] bool Searching() const noexcept { return Worker != nullptr || StartPending; }
  // Until the end message of the search has been handled.
  [[nodiscard]] bool HasWorker() const noexcept { return Worker != nullptr; }
  // The groups listed now; null before any search.
  [[nodiscard]] std::shared_ptr<const TDuplicateResult> SharedResult() const {
    return Model->Result();
  }

  // Whether a search may start now: no other worker runs.
  std::function<bool()> SlotFree = [] { return true; };
  std::function<void(TNodeId folder)> OnFolderFocused;
  std::function<void(const std::vector<TNodeId>& folders)> OnMarkFolders;
  // Where the files are read from: the system's files unless replaced (a benchmark's).
  std::function<std::unique_ptr<TContentSource>()> ContentSource = [] {
    return CreateContentSource();
  };

  QWidget* TabSheet = nullptr;
  QPushButton* FindButton = nullptr;
  QComboBox* MinSizeBox = nullptr;
  QCheckBox* ByteCheckBox = nullptr;
  QProgressBar* Progress = nullptr;
  QPushButton* CancelButton = nullptr;
  QTreeView* List = nullptr;
  QLabel* Status = nullptr;
  TDuplicatesModel* Model = nullptr;

 protected:
  bool event(QEvent* event) override;

 private:
  void BuildControls(int dpi);
  void StartSearch();
  void Tick();
  void Finished();
  void StopWorker();
  void SetRunning(bool running);
  void RowChosen(const QModelIndex& current);

  QTabWidget* Tabs;
  TDesktopShell& Shell;
  std::atomic<bool>& Busy;
  const TFolderTree* Tree = nullptr;
  const TFileRecordStore* Files = nullptr;
  std::unique_ptr<TQtThreadBridge> Bridge;
  std::unique_ptr<TDuplicateSearchThread> Worker;
  QTimer Ticker;
  bool StartPending = false;
};

}  // namespace Vellumetric
