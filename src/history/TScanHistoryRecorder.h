#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "history/TScanSnapshot.h"

namespace Vellumetric {

// Writes finished scans into the history on a thread of its own, so whoever finished the scan
// never waits for the database. Record() queues a snapshot and returns at once; snapshots are
// written in the order given. The destructor writes what is still queued and joins the thread.
// Problems never reach the scan: each becomes one line of text, handed to `notify` (called on the
// recorder's thread) and kept for TakeWarnings().
//
// A window keeps one recorder for as long as it lives and, when its scan worker reports a finished
// (not cancelled) scan and before anything reorders or clears the tree, calls
//   recorder.Record(MakeScanSnapshot(tree, root, asDrive, startedAt, SecondsSinceEpoch()));
// The copy takes a few tens of milliseconds for 100,000 folders; the database is written here.
//
// Reads of the history that must not overtake a write (or be overtaken by one) are posted to the
// same thread: the window compares a finished scan with the earlier ones just before it is
// recorded, so the comparison sees exactly the scans that came before it.
class TScanHistoryRecorder {
 public:
  // Called after each snapshot: whether it was stored, and a warning line (empty when none).
  using TNotify = std::function<void(bool stored, const std::string& warning)>;
  // A piece of work on the history, given the database's path.
  using TTask = std::function<void(const std::string& databasePath)>;
  // Told on the recorder's thread, right after the write, the id the history gave the snapshot
  // (0 when it was not stored): later tasks can read the scan back instead of keeping a copy.
  using TStored = std::function<void(std::int64_t id)>;

  explicit TScanHistoryRecorder(std::string databasePath, TNotify notify = {},
                                int busyMilliseconds = 500);
  ~TScanHistoryRecorder();
  TScanHistoryRecorder(const TScanHistoryRecorder&) = delete;
  TScanHistoryRecorder& operator=(const TScanHistoryRecorder&) = delete;

  void Record(TScanSnapshot snapshot);
  // The same, for a snapshot that is also read elsewhere (it is never changed). The recorder lets
  // go of it once it is written.
  void Record(std::shared_ptr<const TScanSnapshot> snapshot, TStored stored = {});
  // Runs `task` on the recorder's thread, after everything queued before it.
  void Post(TTask task);
  // Blocks until every queued snapshot is written and every posted task has run (the command line
  // uses it before it exits).
  void WaitIdle();
  [[nodiscard]] std::vector<std::string> TakeWarnings();
  // Seconds the last write took on the recorder's thread (for the timings report).
  [[nodiscard]] double LastWriteSeconds();

 private:
  void Run();
  // The id the history gave the snapshot; 0 when it was not stored.
  [[nodiscard]] std::int64_t Write(const TScanSnapshot& snapshot);

  std::string DatabasePath;
  TNotify Notify;
  int BusyMilliseconds;
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<std::function<void()>> Queue;
  bool Busy = false;
  bool Stopping = false;
  std::vector<std::string> Warnings;
  double WriteSeconds = 0;
  std::thread Worker;  // last: starts after everything it reads is set up
};

}  // namespace Vellumetric
