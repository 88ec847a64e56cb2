#pragma once

#include <QBoxLayout>
#include <QLabel>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "history/TScanHistoryRecorder.h"
#include "history/TScanSnapshot.h"
#include "model/TFolderData.h"

namespace Vellumetric {

// Keeps every finished scan of the window in the scan history. The folder totals are copied on
// the scan's worker as it finishes (the window re-sorts the tree right after its end message);
// the database is written on the recorder's own thread, and reads of the history (the Changes
// tab, the history window) run on that same thread in order with the writes, so the window never
// waits for it. A problem with the history never interrupts the user: its one-line warning is
// shown in a quiet label of the results view (and on stderr) until the next scan starts.
class TScanHistoryHook final : public QObject {
 public:
  // A finished scan's copy, handed over just before it is queued for recording, with the tree
  // node of each of its folders. What it answers is told the id the scan is stored under.
  using TBeforeRecording = std::function<TScanHistoryRecorder::TStored(
      std::shared_ptr<const TScanSnapshot> scan, std::vector<TNodeId> nodes)>;

  // `databasePath` is asked when the first scan starts or the history is first read (the data
  // folder is set up after the window is made); an empty path keeps no history.
  TScanHistoryHook(QBoxLayout* statusStrip, std::function<std::string()> databasePath);
  // history.sqlite in the data folder; empty while the data folder is not set up.
  [[nodiscard]] static std::string StandardDatabasePath();
  ~TScanHistoryHook() override;
  TScanHistoryHook(const TScanHistoryHook&) = delete;
  TScanHistoryHook& operator=(const TScanHistoryHook&) = delete;

  void ScanStarting(bool drives);
  // On the scan's worker, once the tree of `root` is complete and before the end message: the
  // copy for the history. Not called for a cancelled scan.
  void CopyFinishedTree(const TFolderTree& tree, const std::string& root);
  // A finished (not cancelled) scan of `root`, before its tree is reordered: its copy (made now
  // when the worker made none) goes to BeforeRecording, then to the recorder. Nothing here keeps
  // the copy: it goes once it is written and whoever BeforeRecording handed it to is done.
  void ScanFinished(const TFolderTree& tree, const std::string& root);
  // Runs `task` on the history's thread after everything queued before it; false when no history
  // is kept.
  [[nodiscard]] bool Post(TScanHistoryRecorder::TTask task);
  // Blocks until every finished scan is written and every posted task has run (tests, shutdown).
  void WaitIdle();
  // Adds a one-line remark about the history to the quiet label.
  void ShowWarning(const std::string& warning);

  TBeforeRecording BeforeRecording;
  QLabel* WarningLabel = nullptr;

 private:
  [[nodiscard]] bool EnsureRecorder();

  std::function<std::string()> DatabasePath;
  std::string Path;  // asked once; empty keeps no history
  bool PathAsked = false;
  bool Drives = false;
  std::int64_t StartedAt = 0;
  // The worker's copy of the last finished scan, taken by the window's thread.
  std::mutex CopyLock;
  std::shared_ptr<const TScanSnapshot> Copied;
  std::vector<TNodeId> CopiedNodes;
  // Last: its thread may still call back into this object until it is joined.
  std::unique_ptr<TScanHistoryRecorder> Recorder;
};

}  // namespace Vellumetric
