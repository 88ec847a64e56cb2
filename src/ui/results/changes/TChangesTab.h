#pragma once

#include <QComboBox>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeView>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/THistoryDatabase.h"
#include "history/TScanDiff.h"
#include "history/TScanSnapshot.h"
#include "system/InfoPageRows.h"
#include "ui/models/TChangesModel.h"
#include "ui/results/TScanHistoryHook.h"
#include "ui/results/changes/TSizeChartView.h"

namespace Vellumetric {

// The "Changes" tab of the results view: what changed since an earlier scan of the same root,
// through the core comparison the command line's `diff` uses. A finished scan is compared with the
// newest earlier scan on the history's thread just before it is recorded there, so the window
// never waits and the comparison sees exactly the scans that came before. The tab shows only when
// there is an earlier scan; a history that cannot be read leaves a quiet note instead.
// The tab keeps no copy of the newer scan's folders once compared (a whole tree's worth): what
// its page rows need is kept per folder, and another earlier scan picked in the chooser is
// compared with the newer scan as the history stored it.
class TChangesTab final : public QObject {
 public:
  TChangesTab(QTabWidget* tabs, TScanHistoryHook& history, int dpi);
  ~TChangesTab() override;
  TChangesTab(const TChangesTab&) = delete;
  TChangesTab& operator=(const TChangesTab&) = delete;

  // Hides the tab and forgets the comparison; answers still on their way are dropped.
  void Clear();
  // A finished scan, copied for the history (`nodes`: each snapshot folder's node in the tree).
  // The answer is to be told the id the history stores the scan under.
  [[nodiscard]] TScanHistoryRecorder::TStored CompareFinishedScan(
      std::shared_ptr<const TScanSnapshot> scan, std::vector<TNodeId> nodes);
  // Two stored scans (the history window's Compare): nothing in the folder tree to focus.
  void CompareStoredScans(std::int64_t fromId, std::int64_t toId);
  // The folder page's row for `node` of the finished scan's tree, once it has been compared.
  [[nodiscard]] std::optional<TInfoPageRow> FolderPageRow(TNodeId node) const;

  [[nodiscard]] bool IsShown() const;
  [[nodiscard]] bool IsComparing() const;
  // The comparison shown, or null. Its BeforeIndex is not kept (folded into each folder's change).
  [[nodiscard]] const TScanDiff* ShownDiff() const;

  // A click on a folder of the finished scan: make `node` the tree's current folder.
  std::function<void(TNodeId node)> FocusFolder;
  // A comparison of the scans of `root` has been shown (the folder page may gain its row).
  std::function<void(const std::string& root)> ComparisonShown;

  QWidget* TabSheet = nullptr;
  QLabel* Heading = nullptr;
  QComboBox* Chooser = nullptr;
  QLabel* Total = nullptr;
  TSizeChartView* Chart = nullptr;
  QStackedWidget* Stack = nullptr;
  QLabel* Message = nullptr;
  QTreeView* List = nullptr;
  TChangesModel* Model = nullptr;

 private:
  struct TListing;
  struct TComparison;

  void BuildWidgets(int dpi);
  void StartComparison(std::int64_t fromId);
  void ShowListing(const TListing& listing);
  void ShowComparison(const std::shared_ptr<const TComparison>& comparison);
  void ShowMessage(const QString& text);
  void SetTabShown(bool shown);
  void RowClicked(const QModelIndex& index);
  // What a task on the history's thread knows of the tab: never the tab itself, which may go
  // while the task runs; answers reach it through the window's thread.
  struct TTicket {
    QPointer<TChangesTab> Tab;
    std::shared_ptr<std::atomic<int>> Generation;
    int Number = 0;
    [[nodiscard]] bool Current() const { return *Generation == Number; }
  };
  [[nodiscard]] TTicket NewTicket();
  // Hands `show` to the window's thread; it runs only if the tab lives and nothing newer was
  // asked of it meanwhile.
  static void Deliver(const TTicket& ticket, std::function<void(TChangesTab&)> show);
  // On the history's thread: compares `to` with stored scan `fromId` and delivers the answer.
  static void Compare(THistoryDatabase& db, const TTicket& ticket, std::int64_t fromId,
                      const TScanSnapshot& to);

  QTabWidget* Tabs;
  TScanHistoryHook& History;
  // Bumped by every new request; the history's thread reads it to skip work nobody waits for.
  std::shared_ptr<std::atomic<int>> Generation = std::make_shared<std::atomic<int>>(0);
  bool Stored = false;                 // two stored scans, not a finished one
  std::optional<TScanSnapshot> Newer;  // without its folders
  std::size_t NewerFolders = 0;        // how many it has
  // The id the newer scan has in the history; 0 while not known, or when it was not stored. Set
  // and read on the history's thread only.
  std::shared_ptr<std::atomic<std::int64_t>> NewerId;
  std::vector<TScanSnapshot> Earlier;  // newest first, without folders
  // The newer scan's folder of each tree node (NoNode: none).
  std::vector<std::uint32_t> FolderOfNode;
  std::shared_ptr<const TComparison> Shown;
  bool Comparing = false;
};

}  // namespace Vellumetric
