#include "system/ntfs/TNtfsMftReader.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "system/ntfs/TNtfsRecordParser.h"

namespace Vellumetric {

// A buffer aligned for reads that bypass the system's cache.
class TNtfsMftReader::TAlignedBuffer {
 public:
  static constexpr std::size_t Alignment = 4096;
  TAlignedBuffer() = default;
  explicit TAlignedBuffer(std::size_t size) { Resize(size); }
  void Resize(std::size_t size) {
    if (size <= Capacity) {
      Length = size;
      return;
    }
    Memory.reset(static_cast<std::uint8_t*>(::operator new (size, std::align_val_t{Alignment})));
    Capacity = Length = size;
  }
  [[nodiscard]] std::uint8_t* Data() noexcept { return Memory.get(); }
  [[nodiscard]] std::size_t Size() const noexcept { return Length; }

 private:
  struct TFree {
    void operator()(std::uint8_t* p) const noexcept {
      ::operator delete (p, std::align_val_t{Alignment});
    }
  };
  std::unique_ptr<std::uint8_t, TFree> Memory;
  std::size_t Capacity = 0;
  std::size_t Length = 0;
};

// A thread that waits for one job at a time, kept for the whole read: a piece of the MFT then
// costs no thread start. When no thread can be had, a job runs on the caller, at Wait.
class TNtfsMftReader::THelper {
 public:
  THelper() {
    try {
      Thread = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
    }
  }
  ~THelper() {
    if (!Thread.joinable()) return;
    {
      const std::lock_guard<std::mutex> lock(Mutex);
      Quit = true;
    }
    Wake.notify_one();
    Thread.join();
  }
  THelper(const THelper&) = delete;
  THelper& operator=(const THelper&) = delete;

  void Start(std::function<void()> job) {
    {
      const std::lock_guard<std::mutex> lock(Mutex);
      Job = std::move(job);
      Busy = true;
    }
    if (Thread.joinable()) Wake.notify_one();
  }
  // Until the job has run; what it threw is thrown here. With no thread, the job runs here. A
  // caller that is failing passes `failing`: a job no thread has begun is then dropped, and what
  // the job threw is not thrown.
  void Wait(bool failing = false) {
    std::unique_lock<std::mutex> lock(Mutex);
    if (!Thread.joinable() && Busy) {
      Busy = false;
      std::function<void()> job = std::move(Job);
      lock.unlock();
      if (!failing) job();
      return;
    }
    Done.wait(lock, [this] { return !Busy; });
    const std::exception_ptr error = std::exchange(Error, nullptr);
    if (error && !failing) std::rethrow_exception(error);
  }

 private:
  void Loop() {
    std::unique_lock<std::mutex> lock(Mutex);
    while (true) {
      Wake.wait(lock, [this] { return Busy || Quit; });
      if (Quit) return;
      std::function<void()> job = std::move(Job);
      lock.unlock();
      std::exception_ptr error;
      try {
        job();
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      Error = error;
      Busy = false;
      Done.notify_one();
    }
  }

  std::mutex Mutex;
  std::condition_variable Wake;
  std::condition_variable Done;
  std::function<void()> Job;
  std::exception_ptr Error;
  bool Busy = false;
  bool Quit = false;
  std::thread Thread;  // last: it starts once everything it uses is made
};

TNtfsMftReader::TNtfsMftReader(TNtfsByteSource& source) : Source(source) {}
TNtfsMftReader::~TNtfsMftReader() = default;

namespace {

constexpr std::uint64_t kUpcaseRecord = 10;
constexpr std::size_t kUpcaseBytes = 2 * 65536;
// The records parsed at a time by one thread: small enough to stay in its processor's cache
// between the read and the parse, and that two threads end a piece together; large enough that
// taking one costs nothing.
constexpr std::size_t kBlockBytes = 256U << 10;

std::uint64_t RunClusters(const std::vector<TNtfsRun>& runs) {
  std::uint64_t total = 0;
  for (const TNtfsRun& r : runs) total += r.Length;
  return total;
}

}  // namespace

bool TNtfsMftReader::Fail(TNtfsFailure kind, std::string reason) {
  FailureKind = kind;
  FailureText = std::move(reason);
  return false;
}

bool TNtfsMftReader::Unreadable(const std::string& error) {
  return Fail(TNtfsFailure::Unreadable, "cannot read the volume: " + error);
}

bool TNtfsMftReader::InVolume(std::uint64_t lcn, std::uint64_t clusters) {
  if (lcn >= BootSector.TotalClusters || clusters > BootSector.TotalClusters - lcn) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: a read past the end of the volume");
  }
  return true;
}

bool TNtfsMftReader::ReadClusters(std::uint64_t lcn, std::uint64_t bytes, TAlignedBuffer& out) {
  const std::uint64_t cluster = BootSector.ClusterSize;
  const std::uint64_t rounded = (bytes + cluster - 1) / cluster * cluster;
  if (!InVolume(lcn, rounded / cluster)) return false;
  out.Resize(rounded);
  std::string error;
  if (!Source.ReadAt(lcn * cluster, out.Data(), rounded, error)) return Unreadable(error);
  return true;
}

bool TNtfsMftReader::ReadBoot() {
  TAlignedBuffer sector(std::max<std::size_t>(512, Source.Alignment()));
  std::string error;
  if (!Source.ReadAt(0, sector.Data(), sector.Size(), error)) {
    return Fail(TNtfsFailure::Unreadable, "cannot read the volume: " + error);
  }
  std::string reason;
  if (!TNtfsBootSector::Parse(TNtfsBytes(sector.Data(), sector.Size()), BootSector, reason)) {
    return Fail(reason.rfind("not", 0) == 0 ? TNtfsFailure::NotNtfs : TNtfsFailure::Damaged,
                reason);
  }
  if (Source.Alignment() > BootSector.ClusterSize) {
    return Fail(TNtfsFailure::Unreadable, "the volume's sectors are larger than its clusters");
  }
  const std::uint64_t sourceSize = Source.Size();
  if (sourceSize != 0 && sourceSize / BootSector.ClusterSize < BootSector.TotalClusters) {
    // An image cut short: reads past its end fail one by one, so say it at once.
    BootSector.TotalClusters = sourceSize / BootSector.ClusterSize;
    if (BootSector.MftLcn >= BootSector.TotalClusters) {
      return Fail(TNtfsFailure::Damaged, "the volume is shorter than its boot sector says");
    }
  }
  return true;
}

// The $MFT's own record gives its size and its first extents (all of them unless the MFT is so
// fragmented that they continue in extension records, which the record pass joins on).
bool TNtfsMftReader::FindMftRuns() {
  TAlignedBuffer record;
  TNtfsRecordFacts facts;
  if (!ReadClusters(BootSector.MftLcn, BootSector.RecordSize, record)) return false;
  std::uint8_t* bytes = record.Data();
  if (std::memcmp(bytes, "FILE", 4) != 0 || !ApplyNtfsFixups(bytes, BootSector.RecordSize) ||
      ParseNtfsRecord(TNtfsBytes(bytes, BootSector.RecordSize), BootSector.ClusterSize, true,
                      facts) != TNtfsRecordState::InUse ||
      facts.MftDataPairs.empty() || facts.MftDataLowestVcn != 0) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: its own record cannot be read");
  }
  MftBytes = facts.MftDataSize;
  std::vector<TNtfsRun> decoded;
  if (!DecodeRunList(TNtfsBytes(facts.MftDataPairs.data(), facts.MftDataPairs.size()),
                     BootSector.TotalClusters, decoded) ||
      decoded.empty()) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: its extents cannot be decoded");
  }
  if (!Source.MftExtents(Runs)) Runs = std::move(decoded);
  if (MftBytes < 16ULL * BootSector.RecordSize || MftBytes % BootSector.RecordSize != 0) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: impossible size");
  }
  for (const TNtfsRun& r : Runs) {
    if (r.Lcn == TNtfsRun::NoLcn) return Fail(TNtfsFailure::Damaged, "damaged MFT: a hole");
  }
  return true;
}

std::uint64_t TNtfsMftReader::MftClusters() const {
  return (MftBytes + BootSector.ClusterSize - 1) / BootSector.ClusterSize;
}

void TNtfsMftReader::ExtendMftRuns(const std::vector<std::uint8_t>& pairs,
                                   std::uint64_t lowestVcn) {
  std::vector<TNtfsRun> runs;
  if (pairs.empty() || lowestVcn == 0) return;
  if (!DecodeRunList(TNtfsBytes(pairs.data(), pairs.size()), BootSector.TotalClusters, runs)) {
    return;
  }
  PendingRuns.emplace_back(lowestVcn, std::move(runs));
  // Join every pending piece that starts where the known extents end.
  for (bool joined = true; joined;) {
    joined = false;
    const std::uint64_t end = RunClusters(Runs);
    for (auto it = PendingRuns.begin(); it != PendingRuns.end(); ++it) {
      if (it->first != end) continue;
      Runs.insert(Runs.end(), it->second.begin(), it->second.end());
      PendingRuns.erase(it);
      joined = true;
      break;
    }
  }
}

// The next piece of the MFT to read after cluster `c` of extent `r`: at most one buffer, never
// past the MFT's end. Empty when the known extents are used up.
TNtfsMftReader::TPiece TNtfsMftReader::NextPiece(std::size_t& r, std::uint64_t& c,
                                                 std::uint64_t planned, std::size_t buffer) const {
  const std::uint64_t cluster = BootSector.ClusterSize;
  while (r < Runs.size() && c >= Runs[r].Length) {
    ++r;
    c = 0;
  }
  if (r >= Runs.size() || planned >= MftClusters()) return {};
  const std::uint64_t n = std::min({Runs[r].Length - c, buffer / cluster, MftClusters() - planned});
  TPiece piece{static_cast<std::uint64_t>(Runs[r].Lcn) + c, n};
  c += n;
  return piece;
}

// Joins what a parser found, in record order: its batch, and where the $MFT continues and
// $UpCase lies.
void TNtfsMftReader::Join(TNtfsRecordParser& parser, TNtfsVolumeIndex& index) {
  index.Append(parser.Batch);
  for (const TNtfsRecordParser::TDataRuns& found : parser.Runs) {
    if (found.Record == kUpcaseRecord && found.LowestVcn == 0) {
      UpcasePairs = found.Pairs;
      UpcaseBytes = found.Size;
    }
    if (found.MftExtension) ExtendMftRuns(found.Pairs, found.LowestVcn);
  }
  parser.Clear();
}

TNtfsRecordParser& TNtfsMftReader::Parser(int parity, std::size_t i) {
  std::vector<TNtfsRecordParser>& parsers = Parsed[parity].Parsers;
  while (parsers.size() <= i) parsers.emplace_back(BootSector.RecordSize, BootSector.ClusterSize);
  return parsers[i];
}

void TNtfsMftReader::JoinParsed(int parity, TNtfsVolumeIndex& index) {
  TParsed& parsed = Parsed[parity];
  for (std::size_t i = 0; i < parsed.Used; ++i) Join(parsed.Parsers[i], index);
  parsed.Used = 0;
}

// The piece's bytes [at, at + n) into `into`: out of the piece read whole, or read here.
bool TNtfsMftReader::CopyPiece(const TPieceBytes& piece, std::size_t at, std::size_t n,
                               std::uint8_t* into) {
  if (piece.Bytes != nullptr) {
    std::memcpy(into, piece.Bytes + at, n);
    return true;
  }
  std::string error;
  return Source.ReadAt(piece.Offset + at, into, n, error) || Unreadable(error);
}

// Parses the `whole` records from byte `at` of the piece in blocks, which this thread and a
// helper take in turn as they come free; meanwhile this thread also joins the piece before to
// the index. Each block is read by the thread that parses it unless the piece was read whole.
bool TNtfsMftReader::ParseBlocks(const TPieceBytes& piece, std::size_t at, std::size_t whole,
                                 TAlignedBuffer (&own)[2], TNtfsVolumeIndex& index) {
  const std::size_t recordSize = BootSector.RecordSize;
  const std::size_t perBlock = std::max<std::size_t>(kBlockBytes / recordSize, 1);
  const std::size_t blocks = (whole + perBlock - 1) / perBlock;
  (void)Parser(Parity, blocks);  // all made before two threads use them
  TParsed& parsed = Parsed[Parity];
  parsed.Used = blocks + 1;
  const std::uint64_t first = NextRecord;
  for (std::size_t b = 1; b <= blocks; ++b) parsed.Parsers[b].Batch.Into(index.FileSlots());
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::string errors[2];
  const auto work = [&](int who) {
    if (piece.Bytes == nullptr) own[who].Resize(perBlock * recordSize);
    for (std::size_t b; !failed.load() && (b = next.fetch_add(1)) < blocks;) {
      const std::size_t count = std::min(perBlock, whole - b * perBlock);
      const std::size_t from = at + b * perBlock * recordSize;
      std::uint8_t* data = piece.Bytes != nullptr ? piece.Bytes + from : own[who].Data();
      if (piece.Bytes == nullptr &&
          !Source.ReadAt(piece.Offset + from, data, count * recordSize, errors[who])) {
        failed = true;
        return;
      }
      parsed.Parsers[b + 1].Parse(first + b * perBlock, data, count);
    }
  };
  if (blocks > 1) {
    if (!Helper) Helper = std::make_unique<THelper>();
    Helper->Start([&work] { work(1); });
  }
  try {
    JoinParsed(1 - Parity, index);
    work(0);
  } catch (...) {
    failed = true;                       // the helper stops at its next block
    if (blocks > 1) Helper->Wait(true);  // it uses this frame: not gone before it ends
    throw;
  }
  if (blocks > 1) Helper->Wait();
  return !failed || Unreadable(errors[0].empty() ? errors[1] : errors[0]);
}

// Parses the records of one piece. `bytes` is the piece read whole, or null when each block is
// read out of the system's cache by the thread that parses it. A record that straddles two
// pieces (records larger than clusters on a fragmented MFT) is put together in `Carry`.
bool TNtfsMftReader::TakeRecords(TPiece read, std::uint8_t* bytes, TAlignedBuffer (&own)[2],
                                 TNtfsVolumeIndex& index) {
  const std::size_t recordSize = BootSector.RecordSize;
  const std::uint64_t records = MftBytes / recordSize;
  const TPieceBytes piece{read.Lcn * BootSector.ClusterSize,
                          static_cast<std::size_t>(read.Clusters * BootSector.ClusterSize), bytes};
  // Slots for every record this piece may finish, the one carried over included.
  index.Grow(NextRecord + piece.Size / recordSize + 1);
  std::size_t at = 0;
  if (!Carry.empty()) {
    const std::size_t had = Carry.size();
    at = std::min(recordSize - had, piece.Size);
    Carry.resize(had + at);
    if (!CopyPiece(piece, 0, at, Carry.data() + had)) return false;
    if (Carry.size() == recordSize) {
      Parser(Parity, 0).Batch.Into(index.FileSlots());
      Parser(Parity, 0).Parse(NextRecord++, Carry.data(), 1);
      Carry.clear();
    }
  }
  const auto whole = static_cast<std::size_t>(
      NextRecord < records
          ? std::min<std::uint64_t>((piece.Size - at) / recordSize, records - NextRecord)
          : 0);
  if (!ParseBlocks(piece, at, whole, own, index)) return false;
  NextRecord += whole;
  at += whole * recordSize;
  if (at < piece.Size && NextRecord < records) {
    Carry.resize(piece.Size - at);
    if (!CopyPiece(piece, at, piece.Size - at, Carry.data())) return false;
  }
  Parity = 1 - Parity;
  return true;
}

// Reads the MFT extent by extent. Out of the system's cache, each thread reads the records it
// parses as it goes; from a disk, one piece is read ahead on another thread while the piece
// before is parsed: the disk and the parsing then overlap.
bool TNtfsMftReader::ReadRecords(TNtfsVolumeIndex& index, const TProgress& progress) {
  const std::uint64_t cluster = BootSector.ClusterSize;
  // No bigger than the MFT: a small volume does not pay for a large buffer.
  const auto bufferSize = static_cast<std::size_t>(
      std::min<std::uint64_t>(ChunkBytes, std::max<std::uint64_t>(MftClusters(), 1) * cluster));
  const bool cached = Source.CachedReads();
  TAlignedBuffer buffers[2];  // pieces read whole
  TAlignedBuffer own[2];      // each thread's block, read out of the cache
  std::size_t r = 0;
  std::uint64_t c = 0;
  std::uint64_t planned = 0;  // clusters asked for so far
  auto start = [&](TPiece piece, TAlignedBuffer& into) {
    planned += piece.Clusters;
    if (cached) {
      return std::async(std::launch::deferred,
                        [this, piece] { return InVolume(piece.Lcn, piece.Clusters); });
    }
    // Read here, later, when no thread can be had: libstdc++ falls back to deferred.
    return std::async(std::launch::async | std::launch::deferred, [this, piece, &into] {
      return ReadClusters(piece.Lcn, piece.Clusters * BootSector.ClusterSize, into);
    });
  };
  Carry.clear();
  NextRecord = 0;
  Parsed[0] = {};
  Parsed[1] = {};
  Parity = 0;
  int current = 0;
  TPiece piece = NextPiece(r, c, planned, bufferSize);
  std::future<bool> pending;
  if (piece.Clusters != 0) pending = start(piece, buffers[current]);
  while (piece.Clusters != 0) {
    if (!pending.get()) return false;
    const TPiece read = piece;
    piece = NextPiece(r, c, planned, bufferSize);
    if (piece.Clusters != 0) pending = start(piece, buffers[1 - current]);
    const bool taken = TakeRecords(read, cached ? nullptr : buffers[current].Data(), own, index);
    if (!taken || (progress && !progress(NextRecord * BootSector.RecordSize, MftBytes))) {
      if (pending.valid()) pending.wait();
      return taken ? Fail(TNtfsFailure::Stopped, "stopped") : false;
    }
    current = 1 - current;
    // The last known extent is read: the records just taken may have named more.
    if (piece.Clusters == 0) {
      JoinParsed(1 - Parity, index);
      piece = NextPiece(r, c, planned, bufferSize);
      if (piece.Clusters != 0) pending = start(piece, buffers[current]);
    }
  }
  if (NextRecord < MftBytes / BootSector.RecordSize) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: its extents end before its last record");
  }
  return true;
}

void TNtfsMftReader::LoadUpcase(TNtfsUpcase& upcase) {
  std::vector<TNtfsRun> runs;
  if (UpcaseBytes != kUpcaseBytes ||
      !DecodeRunList(TNtfsBytes(UpcasePairs.data(), UpcasePairs.size()), BootSector.TotalClusters,
                     runs)) {
    return;
  }
  std::vector<std::uint8_t> table;
  TAlignedBuffer part;
  for (const TNtfsRun& r : runs) {
    if (r.Lcn == TNtfsRun::NoLcn || table.size() >= kUpcaseBytes) return;
    const std::uint64_t bytes =
        std::min<std::uint64_t>(r.Length * BootSector.ClusterSize, kUpcaseBytes - table.size());
    if (!ReadClusters(static_cast<std::uint64_t>(r.Lcn), bytes, part)) {
      FailureKind = TNtfsFailure::None;  // names then keep a plain order; nothing is lost
      return;
    }
    table.insert(table.end(), part.Data(), part.Data() + bytes);
  }
  if (table.size() == kUpcaseBytes) (void)upcase.Load(table.data(), table.size());
}

bool TNtfsMftReader::Load(TNtfsVolumeIndex& index, const TProgress& progress) {
  FailureKind = TNtfsFailure::None;
  FailureText.clear();
  if (!ReadBoot() || !FindMftRuns()) return false;
  if (RunClusters(Runs) > BootSector.TotalClusters || MftClusters() > BootSector.TotalClusters) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: larger than the volume");
  }
  if (!index.Reset(MftBytes / BootSector.RecordSize)) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: impossible size");
  }
  if (!ReadRecords(index, progress)) return false;
  if (!index.IsFolder(TNtfsVolumeIndex::RootRecord)) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: the root folder's record is unusable");
  }
  // A few torn records happen after a crash; more than one in a hundred means the reader and
  // the volume do not agree on what they are looking at.
  const std::uint64_t allowed = std::max<std::uint64_t>(16, index.RecordsInUse() / 100);
  if (index.DamagedRecords() > allowed) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: " + std::to_string(index.DamagedRecords()) +
                                           " records cannot be read");
  }
  TNtfsUpcase upcase;
  LoadUpcase(upcase);
  index.Finish(upcase, std::max(1U, std::thread::hardware_concurrency()));
  return true;
}

}  // namespace Vellumetric
