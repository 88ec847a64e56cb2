#include "scan/TParallelDirectoryLister.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "model/TFileDisk.h"
#include "model/TFileRecordStore.h"

namespace Vellumetric {
namespace {

using namespace std::chrono_literals;

// Records per chunk: large enough that handing a chunk over costs little per entry, small
// enough that the walk rarely waits for a chunk to fill.
constexpr std::size_t kChunkRecords = 512;
// What a worker publishes early when the walk already waits for its stream.
constexpr std::size_t kWantedRecords = 64;
// How far one stream may run ahead of the walk, in chunks, and all streams together, in
// records (about 40 bytes each plus the name).
constexpr std::size_t kChunksPerStream = 32;
constexpr std::size_t kBufferedRecords = std::size_t{1} << 18;
// A worker stopped for running too far ahead goes on only once the walk has taken this much
// back: woken for every chunk the walk takes, it would sleep and wake once per chunk, and
// every other waiting worker with it.
constexpr std::size_t kResumeChunks = kChunksPerStream / 2;
constexpr std::size_t kResumeRecords = kBufferedRecords - kBufferedRecords / 4;
// Every wait is bounded, so a stop request is seen within this time even without a wake-up.
constexpr auto kPoll = 10ms;

enum : std::uint8_t { KindEntry, KindEnter, KindEnterTask, KindEnd };

bool IsDotOrDotDot(std::string_view name) {
  return name == "." || name == "..";
}

// Each running lister and the walk's own share the budget. A queued task holds one descriptor,
// and there are hardly ever more queued tasks than workers (twice as many allowed, for workers
// that decide to hand off at the same moment); a lister may briefly hold two past its share
// (the folder it has just measured, one it climbs back through ".."). A share too small makes deep
// trees climb back often, which costs an open, a stat and a close each time.
std::size_t ShareOfBudget(std::size_t budget, int threads) {
  const auto t = static_cast<std::size_t>(threads);
  const std::size_t reserved = 2 * t + 2 * (t + 1);
  const std::size_t share = budget > reserved ? (budget - reserved) / (t + 1) : 0;
  return std::max<std::size_t>(8, share);
}

}  // namespace

struct TParallelDirectoryLister::TRecord {
  std::uint64_t Size;
  std::uint64_t LastAccess;  // whole: the typed-file list keeps it below the second
  std::uint64_t DiskSize;
  std::int32_t Error;
  // An entry: where its name starts in Names. Entering a folder handed to another task
  // (KindEnterTask): the task's index in Tasks.
  std::uint32_t Offset;
  // The last change as the file records keep it (seconds), which is all they read of it.
  std::uint32_t ChangeSeconds;
  std::uint16_t NameLength;
  std::uint8_t Kind : 2;
  std::uint8_t Flag : 1;  // an entry: it is a folder; entering one: it was opened
  // An entry: its identity is the next one in the chunk's Identities.
  std::uint8_t HasIdentity : 1;
  std::uint8_t DiskFlags : 4;
  std::uint8_t Excluded : 1;  // an entry: a folder the rules leave out, which nobody enters
};

struct TParallelDirectoryLister::TChunk {
  std::vector<TRecord> Records;
  std::string Names;
  std::vector<std::shared_ptr<TTask>> Tasks;
  // Only entries that may be one name of several carry an identity, so they are kept aside.
  std::vector<TFileIdentity> Identities;
};

struct TParallelDirectoryLister::TTask {
  std::unique_ptr<TDirectoryLister> Lister;
  std::string Path;  // the folder's full path, for back ends that list by full path
  // Under Lock:
  std::deque<std::unique_ptr<TChunk>> Chunks;
  bool Started = false;
  bool Done = false;
  bool Throttled = false;  // its worker waits until the walk has taken enough chunks
  // The walk waits on this stream: publish what there is rather than fill the chunk.
  std::atomic<bool> Wanted{false};
  std::atomic<std::uint32_t> Waits{0};  // how often the walk had to wait on this stream
};

struct TParallelDirectoryLister::TReader {
  std::shared_ptr<TTask> Task;
  std::unique_ptr<TChunk> Chunk;
  std::unique_ptr<TChunk> Previous;  // keeps the name returned last valid until the next call
  std::size_t Pos = 0;
  std::size_t IdentityPos = 0;  // the next identity of Chunk
  int Depth = 1;                // folders of this task the walk is inside of
  bool Direct = false;          // no worker started the task: the walk lists it itself
  bool LevelEnded = false;      // the innermost listing reported its end
};

TParallelDirectoryLister::TParallelDirectoryLister(const TDirectoryLister& prototype, int threads,
                                                   std::size_t descriptorBudget,
                                                   std::function<bool()> stop)
    : Prototype(prototype),
      PathStyle(prototype.Style()),
      FullPaths(prototype.ListsByFullPath()),
      ThreadCount(std::max(threads, 1)),
      ListerBudget(ShareOfBudget(descriptorBudget, ThreadCount)),
      StopRequested(std::move(stop)) {}

TParallelDirectoryLister::~TParallelDirectoryLister() {
  Abandon();
  for (std::thread& worker : Workers) worker.join();
  Readers.clear();
  Queue.clear();
}

void TParallelDirectoryLister::Abandon() {
  Stop.store(true);
  WorkReady.notify_all();
  ChunkReady.notify_all();
  SpaceFreed.notify_all();
}

bool TParallelDirectoryLister::Stopping() {
  if (Stop.load(std::memory_order_relaxed)) return true;
  if (StopRequested && StopRequested()) {
    Abandon();
    return true;
  }
  return false;
}

void TParallelDirectoryLister::StartWorkers() {
  if (!Workers.empty()) return;
  IdleWorkers.store(ThreadCount);
  for (int i = 0; i < ThreadCount; ++i) Workers.emplace_back([this] { WorkerLoop(); });
}

void TParallelDirectoryLister::WorkerLoop() {
  for (;;) {
    std::shared_ptr<TTask> task;
    {
      std::unique_lock<std::mutex> lock(Lock);
      while (Queue.empty() && !Stop.load()) WorkReady.wait_for(lock, kPoll);
      if (Stop.load()) return;
      task = std::move(Queue.front());
      Queue.pop_front();
      --Queued;
      task->Started = true;
      --IdleWorkers;
    }
    Produce(*task);
    ++IdleWorkers;
  }
}

// Another worker is free and nobody has claimed the work already queued; a folder's last
// subfolder is kept, since handing it over would leave this worker with nothing to do.
bool TParallelDirectoryLister::ShouldHandOff(TDirectoryLister& lister) const {
  return IdleWorkers.load(std::memory_order_relaxed) > Queued.load(std::memory_order_relaxed) &&
         Buffered.load(std::memory_order_relaxed) < kBufferedRecords / 2 && lister.HasMore();
}

// Walks the task's subtree depth-first, as the one-thread walk would, recording every answer.
void TParallelDirectoryLister::Produce(TTask& task) {
  // Held to 40 bytes: up to a quarter of a million of them wait for the walk.
  static_assert(sizeof(TRecord) <= 40);
  TDirectoryLister& lister = *task.Lister;
  auto chunk = std::make_unique<TChunk>();
  auto add = [&chunk](std::uint8_t kind, bool flag, std::int32_t error) -> TRecord& {
    chunk->Records.push_back(TRecord{0, 0, 0, error, 0, 0, 0, kind, flag, false, 0, false});
    return chunk->Records.back();
  };
  std::string path = task.Path;
  std::vector<std::size_t> lengths;
  int depth = 1;
  TDirEntry e;
  while (depth > 0 && !Stop.load(std::memory_order_relaxed)) {
    if (!lister.Next(e)) {
      add(KindEnd, false, lister.LastError());
      lister.Leave();
      if (--depth > 0 && FullPaths) {
        path.resize(lengths.back());
        lengths.pop_back();
      }
    } else if (!IsDotOrDotDot(e.Name)) {
      TRecord& r = add(KindEntry, e.IsDirectory, e.Error);
      r.Size = e.Size;
      r.LastAccess = e.LastAccess;
      r.DiskSize = e.DiskSize;
      r.DiskFlags = e.DiskFlags & DiskFlagMask;
      r.ChangeSeconds = TFileRecordStore::SecondsOfFileTime(e.LastChange);
      r.Excluded = e.Excluded;
      if (e.Identity.File != 0) {
        r.HasIdentity = true;
        chunk->Identities.push_back(e.Identity);
      }
      r.Offset = static_cast<std::uint32_t>(chunk->Names.size());
      r.NameLength = static_cast<std::uint16_t>(e.Name.size());
      chunk->Names.append(e.Name);
      // An excluded folder is neither listed nor handed off: the walk will not enter it either.
      if (e.IsDirectory && !e.Excluded) {
        std::string childPath;
        if (FullPaths) {
          childPath = path;
          childPath += ChildSeparator(PathStyle, path.empty() ? '\0' : path.back());
          childPath += e.Name;
        }
        if (ShouldHandOff(lister)) {
          auto child = std::make_shared<TTask>();
          child->Lister = lister.CloneEmpty(ListerBudget);
          child->Path = childPath;
          const bool ok = child->Lister && lister.HandOff(e.Name, childPath, *child->Lister);
          TRecord& enter = add(KindEnter, ok, ok ? 0 : lister.LastError());
          if (ok) {
            enter.Kind = KindEnterTask;
            enter.Offset = static_cast<std::uint32_t>(chunk->Tasks.size());
            chunk->Tasks.push_back(child);
            std::lock_guard<std::mutex> lock(Lock);
            Queue.push_back(std::move(child));
            ++Queued;
            WorkReady.notify_one();
          }
        } else {
          const bool ok = lister.EnterChild(e.Name, childPath);
          add(KindEnter, ok, ok ? 0 : lister.LastError());
          if (ok) {
            ++depth;
            if (FullPaths) {
              lengths.push_back(path.size());
              path = std::move(childPath);
            }
          }
        }
      }
    }
    // The walk waiting on this stream gets a part of a chunk, but not record by record, which
    // would cost two thread switches per entry; a hand-off goes out at once, since the walk
    // cannot follow it into the other stream before it sees it.
    // A stream the walk keeps catching up with (one wide folder) gets larger parts.
    const std::size_t held = chunk->Records.size();
    const std::size_t early =
        kWantedRecords << std::min<std::uint32_t>(task.Waits.load(std::memory_order_relaxed), 3);
    if (held >= kChunkRecords || (held > 0 && task.Wanted.load(std::memory_order_relaxed) &&
                                  (held >= early || chunk->Records.back().Kind == KindEnterTask))) {
      Publish(task, chunk, false);
    }
  }
  while (depth-- > 0) lister.Leave();  // stopped part way
  Publish(task, chunk, true);
  task.Lister.reset();  // its descriptors and buffers go now, not when the walk gets here
}

// Hands the chunk to the walk; then, unless the walk is reading this very stream, waits while
// this stream or all of them together are too far ahead.
void TParallelDirectoryLister::Publish(TTask& task, std::unique_ptr<TChunk>& chunk, bool last) {
  auto fresh = last ? nullptr : std::make_unique<TChunk>();
  if (fresh) fresh->Records.reserve(kChunkRecords);
  std::unique_lock<std::mutex> lock(Lock);
  if (!chunk->Records.empty()) {
    Buffered += chunk->Records.size();
    task.Chunks.push_back(std::move(chunk));
    chunk = std::move(fresh);
  }
  if (last) task.Done = true;
  // Only the walk waits for chunks, and it says so first: a wake-up costs a system call.
  if (task.Wanted.load()) ChunkReady.notify_one();
  if (last) return;
  if (task.Chunks.size() > kChunksPerStream) task.Throttled = true;
  bool overall = false;
  while (!Stop.load() &&
         (task.Throttled || (Buffered.load() > (overall ? kResumeRecords : kBufferedRecords) &&
                             Current.load() != &task))) {
    overall = !task.Throttled;
    // Counted, so that the walk lists a task itself when every worker waits here, and wakes
    // the waiting ones once it has taken enough.
    ++BlockedWorkers;
    if (overall) ++BlockedOverall;
    SpaceFreed.wait_for(lock, kPoll);
    if (overall) --BlockedOverall;
    --BlockedWorkers;
  }
}

// The next record of the reader's stream, waiting for it if need be; null once stopped.
const TParallelDirectoryLister::TRecord* TParallelDirectoryLister::NextRecord(TReader& reader) {
  if (reader.Chunk && reader.Pos < reader.Chunk->Records.size()) {
    return &reader.Chunk->Records[reader.Pos++];
  }
  TTask& task = *reader.Task;
  std::unique_lock<std::mutex> lock(Lock);
  if (task.Chunks.empty() && !task.Done) task.Waits.fetch_add(1, std::memory_order_relaxed);
  while (task.Chunks.empty() && !task.Done) {
    if (Stopping()) return nullptr;
    if (!task.Started && BlockedWorkers == ThreadCount) {
      // Every worker waits for the walk to catch up, so none will start this task: the walk
      // lists it itself, from its very start.
      Queue.erase(
          std::find_if(Queue.begin(), Queue.end(),
                       [&task](const std::shared_ptr<TTask>& t) { return t.get() == &task; }));
      --Queued;
      task.Started = true;
      reader.Direct = true;
      return nullptr;
    }
    task.Wanted.store(true);
    ChunkReady.wait_for(lock, kPoll);
  }
  task.Wanted.store(false);
  if (task.Chunks.empty() || Stop.load()) return nullptr;  // ended early: stopped
  reader.Previous = std::move(reader.Chunk);
  reader.Chunk = std::move(task.Chunks.front());
  task.Chunks.pop_front();
  reader.Pos = 0;
  reader.IdentityPos = 0;
  const std::size_t before = Buffered.fetch_sub(reader.Chunk->Records.size());
  bool wake = BlockedOverall > 0 && before > kResumeRecords &&
              before - reader.Chunk->Records.size() <= kResumeRecords;
  if (task.Throttled && task.Chunks.size() <= kResumeChunks) {
    task.Throttled = false;
    wake = true;
  }
  lock.unlock();
  if (wake) SpaceFreed.notify_all();
  return &reader.Chunk->Records[reader.Pos++];
}

// The walk has reached a task: one that no worker has started yet goes to the front of the queue.
void TParallelDirectoryLister::PushReader(std::shared_ptr<TTask> task) {
  {
    std::lock_guard<std::mutex> lock(Lock);
    if (!task->Started) {
      const auto at = std::find(Queue.begin(), Queue.end(), task);
      if (at != Queue.end()) {
        Queue.erase(at);
        Queue.push_front(task);
      }
      WorkReady.notify_one();
    }
  }
  SetCurrent(task.get());
  TReader reader;
  reader.Task = std::move(task);
  Readers.push_back(std::move(reader));
}

void TParallelDirectoryLister::PopReader() {
  if (Readers.back().Direct) Readers.back().Task->Lister.reset();
  Readers.pop_back();
  SetCurrent(Readers.empty() ? nullptr : Readers.back().Task.get());
}

// The stream the walk reads may run ahead when all streams together are full: its worker, if
// it waits for that, goes on. Only those workers are woken.
void TParallelDirectoryLister::SetCurrent(const TTask* task) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(Lock);
    Current.store(task);
    wake = BlockedOverall > 0;
  }
  if (wake) SpaceFreed.notify_all();
}

bool TParallelDirectoryLister::EnterRoot(std::string_view path, bool stayOnRootVolume) {
  Error = 0;
  if (!Readers.empty() || Stop.load()) return false;
  auto task = std::make_shared<TTask>();
  task->Lister = Prototype.CloneEmpty(ListerBudget);
  task->Path = std::string(path);
  if (!task->Lister) return false;
  if (!task->Lister->EnterRoot(path, stayOnRootVolume)) {
    Error = task->Lister->LastError();
    return false;
  }
  RootBlocks = task->Lister->RootDiskSize();
  StartWorkers();
  {
    std::lock_guard<std::mutex> lock(Lock);
    Queue.push_back(task);
    ++Queued;
  }
  WorkReady.notify_one();
  PushReader(std::move(task));
  return true;
}

bool TParallelDirectoryLister::EnterChild(std::string_view name, std::string_view fullPath) {
  Error = 0;
  if (Readers.empty() || Stop.load()) return false;
  TReader& reader = Readers.back();
  reader.LevelEnded = false;
  if (reader.Direct) {
    TDirectoryLister& lister = *reader.Task->Lister;
    const bool ok = lister.EnterChild(name, fullPath);
    if (ok) {
      ++reader.Depth;
    } else {
      Error = lister.LastError();
    }
    return ok;
  }
  const TRecord* r = NextRecord(reader);
  if (!r) return reader.Direct && EnterChild(name, fullPath);
  if (r->Kind != KindEnter && r->Kind != KindEnterTask) {
    // the walk did not enter a folder it was shown: give up
    Abandon();
    return false;
  }
  if (!r->Flag) {
    Error = r->Error;
    return false;
  }
  if (r->Kind == KindEnterTask) {
    PushReader(reader.Chunk->Tasks[r->Offset]);
  } else {
    ++reader.Depth;
  }
  return true;
}

bool TParallelDirectoryLister::Next(TDirEntry& entry) {
  Error = 0;
  if (Readers.empty() || Stop.load(std::memory_order_relaxed)) return false;
  TReader& reader = Readers.back();
  if (reader.Direct) {
    TDirectoryLister& lister = *reader.Task->Lister;
    while (lister.Next(entry)) {
      if (!IsDotOrDotDot(entry.Name)) return true;
    }
    Error = lister.LastError();
    reader.LevelEnded = true;
    return false;
  }
  const TRecord* r = NextRecord(reader);
  if (!r) return reader.Direct && Next(entry);
  if (r->Kind == KindEnd) {
    Error = r->Error;
    reader.LevelEnded = true;
    return false;
  }
  if (r->Kind != KindEntry) {  // the walk skipped entering a folder: give up
    Abandon();
    return false;
  }
  entry.Name = std::string_view(reader.Chunk->Names).substr(r->Offset, r->NameLength);
  entry.IsDirectory = r->Flag;
  entry.Size = r->Size;
  entry.LastAccess = r->LastAccess;
  entry.Error = r->Error;
  entry.DiskSize = r->DiskSize;
  entry.DiskFlags = r->DiskFlags;
  entry.LastChange = TFileRecordStore::FileTimeOfSeconds(r->ChangeSeconds);
  entry.Excluded = r->Excluded;
  entry.Identity =
      r->HasIdentity ? reader.Chunk->Identities[reader.IdentityPos++] : TFileIdentity{};
  return true;
}

void TParallelDirectoryLister::Leave() {
  if (Readers.empty()) return;
  TReader& reader = Readers.back();
  if (reader.Direct) {
    reader.Task->Lister->Leave();
  } else if (!reader.LevelEnded) {
    Abandon();  // the walk stops before the listing's end: nothing more will be read
  }
  reader.LevelEnded = false;
  if (--reader.Depth == 0) PopReader();
}

}  // namespace Vellumetric
