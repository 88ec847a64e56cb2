#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "system/TDirectoryLister.h"

namespace Vellumetric {

// A directory lister that reads ahead on several threads and still answers the walk in exactly
// the order of a one-thread walk.
//
// Worker threads walk subtrees depth-first with listers of the back end and record what they
// see, entry by entry, into streams. When a worker meets a subfolder while another worker is
// idle, it hands the subfolder over as a task of its own and records only where that task's
// stream belongs. The walk (the one caller) reads the streams in order and follows a hand-off
// into the task's stream, so it sees every entry, folder start and listing end exactly where a
// single lister would have shown it: the tree, the lists and the progress come out the same.
//
// Memory stays bounded: a stream that runs far ahead of the walk stops its worker until the walk
// catches up. When the walk needs a task that no worker has started while every worker waits
// so, it lists that task itself, so the walk never waits on a worker that waits on the walk.
// Descriptors stay within the budget: each lister holds a share of it, and a queued task holds one.
class TParallelDirectoryLister final : public TDirectoryLister {
 public:
  // `prototype` is the back end's lister that listed the root; it is only cloned. `stop` is
  // polled while the walk waits, so a stop request ends every wait within milliseconds.
  TParallelDirectoryLister(const TDirectoryLister& prototype, int threads,
                           std::size_t descriptorBudget, std::function<bool()> stop);
  ~TParallelDirectoryLister() override;
  TParallelDirectoryLister(const TParallelDirectoryLister&) = delete;
  TParallelDirectoryLister& operator=(const TParallelDirectoryLister&) = delete;

  [[nodiscard]] TPathStyle Style() const override { return PathStyle; }
  [[nodiscard]] bool ListsByFullPath() const override { return false; }
  [[nodiscard]] bool EnterRoot(std::string_view path, bool stayOnRootVolume) override;
  [[nodiscard]] bool EnterChild(std::string_view name, std::string_view fullPath) override;
  [[nodiscard]] bool Next(TDirEntry& entry) override;
  void Leave() override;
  [[nodiscard]] std::int32_t LastError() const override { return Error; }
  [[nodiscard]] std::uint64_t RootDiskSize() const override { return RootBlocks; }

 private:
  struct TTask;
  struct TRecord;
  struct TChunk;
  struct TReader;

  void StartWorkers();
  void WorkerLoop();
  void Produce(TTask& task);
  bool ShouldHandOff(TDirectoryLister& lister) const;
  void Publish(TTask& task, std::unique_ptr<TChunk>& chunk, bool last);
  const TRecord* NextRecord(TReader& reader);
  void PushReader(std::shared_ptr<TTask> task);
  void PopReader();
  void SetCurrent(const TTask* task);
  void Abandon();
  [[nodiscard]] bool Stopping();

  const TDirectoryLister& Prototype;
  TPathStyle PathStyle;
  bool FullPaths;
  int ThreadCount;
  std::size_t ListerBudget;
  std::function<bool()> StopRequested;

  std::mutex Lock;
  std::condition_variable WorkReady;   // a task was queued, or the walk stops
  std::condition_variable ChunkReady;  // a stream grew or ended
  std::condition_variable SpaceFreed;  // the walk took a chunk or moved to another stream
  std::deque<std::shared_ptr<TTask>> Queue;
  std::atomic<int> IdleWorkers{0};
  int BlockedWorkers = 0;  // under Lock: workers waiting for the walk to catch up
  int BlockedOverall = 0;  // under Lock: those of them waiting because all streams are full
  std::atomic<int> Queued{0};
  std::atomic<std::size_t> Buffered{0};  // records published and not yet read
  std::atomic<const TTask*> Current{nullptr};
  std::atomic<bool> Stop{false};
  std::vector<std::thread> Workers;

  std::vector<TReader> Readers;  // the walk's side: one per stream it is inside of
  std::int32_t Error = 0;
  std::uint64_t RootBlocks = 0;
};

}  // namespace Vellumetric
