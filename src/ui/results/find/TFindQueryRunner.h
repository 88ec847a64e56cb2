#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "find/TFileQuery.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

// What a finished query gives the Find tab: the query and its result, and the folders holding
// its matches (largest match first, each folder once, at most MaxFolders) for the map to outline.
struct TFindOutcome {
  static constexpr std::size_t MaxFolders = 500;

  TFileQuery Query;
  TFindResult Result;
  std::vector<TNodeId> Folders;
};

// Runs the Find tab's queries over a finished scan on a worker thread, one at a time, so typing
// never waits for a search. A query asked for is started once the typing has paused for
// DelayMs; asking again before then, or while a query runs, raises the running query's stop flag
// (its answer would be stale) and the newest query starts when the worker has let go. Only the
// answer to the newest query is delivered, on the interface thread.
class TFindQueryRunner final : public QObject {
 public:
  static constexpr int DelayMs = 150;

  explicit TFindQueryRunner(QObject* parent = nullptr);
  // Stops and waits for a running query: the scan it reads may go next.
  ~TFindQueryRunner() override;

  // The scan to search; it must stay unchanged until Clear() or the next SetScan().
  void SetScan(const TFolderTree* tree, const TFileRecordStore* files, TPathStyle style);
  // Stops and waits for a running query and forgets the scan (before anything refills it).
  void Clear();
  // The newest query: started after the pause, replacing anything asked for before.
  void Request(const TFileQuery& query);
  // Drops what was asked for and stops a running query; nothing more is delivered.
  void Cancel();
  // A query is waiting for the pause or running.
  [[nodiscard]] bool Busy() const noexcept {
    return Delay.isActive() || Wanted || Worker.joinable();
  }

  // The newest query's answer.
  std::function<void(std::shared_ptr<const TFindOutcome>)> OnResult;

 protected:
  bool event(QEvent* event) override;

 private:
  void StartWanted();
  void StopWorker();

  const TFolderTree* Tree = nullptr;
  const TFileRecordStore* Files = nullptr;
  TPathStyle Style = TPathStyle::Posix;
  QTimer Delay;
  std::optional<TFileQuery> Wanted;  // asked for, not yet started
  std::thread Worker;
  std::shared_ptr<std::atomic<bool>> Stop;  // the running query's
  std::uint64_t Generation = 0;             // of the newest query asked for
  std::uint64_t WorkerGeneration = 0;       // of the running one
};

}  // namespace Vellumetric
