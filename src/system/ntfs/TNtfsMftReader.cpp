#include "system/ntfs/TNtfsMftReader.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <memory>
#include <new>

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

namespace {

constexpr std::uint32_t kMftRecord = 0;
constexpr std::uint32_t kUpcaseRecord = 10;
constexpr std::size_t kUpcaseBytes = 2 * 65536;

bool AllZero(const std::uint8_t* p, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

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

bool TNtfsMftReader::ReadClusters(std::uint64_t lcn, std::uint64_t bytes, TAlignedBuffer& out) {
  const std::uint64_t cluster = BootSector.ClusterSize;
  const std::uint64_t rounded = (bytes + cluster - 1) / cluster * cluster;
  if (lcn >= BootSector.TotalClusters || rounded / cluster > BootSector.TotalClusters - lcn) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: a read past the end of the volume");
  }
  out.Resize(rounded);
  std::string error;
  if (!Source.ReadAt(lcn * cluster, out.Data(), rounded, error)) {
    return Fail(TNtfsFailure::Unreadable, "cannot read the volume: " + error);
  }
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
  if (!ReadClusters(BootSector.MftLcn, BootSector.RecordSize, record)) return false;
  std::uint8_t* bytes = record.Data();
  if (std::memcmp(bytes, "FILE", 4) != 0 || !ApplyNtfsFixups(bytes, BootSector.RecordSize) ||
      ParseNtfsRecord(TNtfsBytes(bytes, BootSector.RecordSize), BootSector.ClusterSize, true,
                      Facts) != TNtfsRecordState::InUse ||
      Facts.MftDataPairs.empty() || Facts.MftDataLowestVcn != 0) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: its own record cannot be read");
  }
  MftBytes = Facts.MftDataSize;
  std::vector<TNtfsRun> decoded;
  if (!DecodeRunList(TNtfsBytes(Facts.MftDataPairs.data(), Facts.MftDataPairs.size()),
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

void TNtfsMftReader::ExtendMftRuns(const TNtfsRecordFacts& facts) {
  std::vector<TNtfsRun> runs;
  if (facts.MftDataPairs.empty() || facts.MftDataLowestVcn == 0) return;
  if (!DecodeRunList(TNtfsBytes(facts.MftDataPairs.data(), facts.MftDataPairs.size()),
                     BootSector.TotalClusters, runs)) {
    return;
  }
  PendingRuns.emplace_back(facts.MftDataLowestVcn, std::move(runs));
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

void TNtfsMftReader::TakeRecord(std::uint64_t number, std::uint8_t* bytes,
                                TNtfsVolumeIndex& index) {
  const std::size_t size = BootSector.RecordSize;
  if (std::memcmp(bytes, "FILE", 4) != 0) {
    // Space the MFT has reserved but never formatted reads as zeros; anything else is a record
    // that was overwritten or torn ("BAAD").
    if (!AllZero(bytes, size)) index.AddDamaged();
    return;
  }
  const TNtfsBytes view(bytes, size);
  bool ok = true;
  if ((view.U16(22, ok) & 0x0001) == 0) return;  // free: the flag lies before any fixup
  const std::uint64_t baseRef = view.U64(32, ok);
  const bool mftExtension = baseRef != 0 && (baseRef & ((1ULL << 48) - 1)) == kMftRecord;
  const bool wantRuns = number == kMftRecord || number == kUpcaseRecord || mftExtension;
  if (!ApplyNtfsFixups(bytes, size) ||
      ParseNtfsRecord(view, BootSector.ClusterSize, wantRuns, Facts) != TNtfsRecordState::InUse) {
    index.AddDamaged();
    return;
  }
  index.AddRecord(number, Facts);
  if (number == kUpcaseRecord && Facts.MftDataLowestVcn == 0) {
    UpcasePairs = Facts.MftDataPairs;
    UpcaseBytes = Facts.MftDataSize;
  }
  if (mftExtension) ExtendMftRuns(Facts);
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

// Hands the records of one piece to TakeRecord; a record that straddles two pieces (records
// larger than clusters on a fragmented MFT) is put together in `Carry`.
void TNtfsMftReader::TakeRecords(const std::uint8_t* bytes, std::size_t size,
                                 TNtfsVolumeIndex& index) {
  const std::size_t recordSize = BootSector.RecordSize;
  const std::uint64_t records = MftBytes / recordSize;
  std::size_t at = 0;
  if (!Carry.empty()) {
    const std::size_t need = std::min(recordSize - Carry.size(), size);
    Carry.insert(Carry.end(), bytes, bytes + need);
    at = need;
    if (Carry.size() == recordSize) {
      TakeRecord(NextRecord++, Carry.data(), index);
      Carry.clear();
    }
  }
  // Records are fixed up in place, so the piece's buffer is written to.
  auto* data = const_cast<std::uint8_t*>(bytes);
  for (; at + recordSize <= size && NextRecord < records; at += recordSize) {
    TakeRecord(NextRecord++, data + at, index);
  }
  if (at < size && NextRecord < records) Carry.assign(bytes + at, bytes + size);
}

// Reads the MFT extent by extent, one piece ahead on another thread while this one parses the
// piece before: the disk (or the page cache's copy) and the parsing then overlap.
bool TNtfsMftReader::ReadRecords(TNtfsVolumeIndex& index, const TProgress& progress) {
  const std::uint64_t cluster = BootSector.ClusterSize;
  // No bigger than the MFT: a small volume does not pay for a large buffer.
  const auto bufferSize = static_cast<std::size_t>(
      std::min<std::uint64_t>(ChunkBytes, std::max<std::uint64_t>(MftClusters(), 1) * cluster));
  TAlignedBuffer buffers[2] = {TAlignedBuffer(bufferSize), TAlignedBuffer(bufferSize)};
  std::size_t r = 0;
  std::uint64_t c = 0;
  std::uint64_t planned = 0;  // clusters asked for so far
  auto start = [&](TPiece piece, TAlignedBuffer& into) {
    planned += piece.Clusters;
    // Read here, later, when no thread can be had: libstdc++ falls back to deferred.
    return std::async(std::launch::async | std::launch::deferred,
                      [this, piece, &into] { return ReadPiece(piece, into); });
  };
  Carry.clear();
  NextRecord = 0;
  int current = 0;
  TPiece piece = NextPiece(r, c, planned, bufferSize);
  std::future<bool> pending;
  if (piece.Clusters != 0) pending = start(piece, buffers[current]);
  while (piece.Clusters != 0) {
    if (!pending.get()) return false;
    const TPiece read = piece;
    piece = NextPiece(r, c, planned, bufferSize);
    if (piece.Clusters != 0) pending = start(piece, buffers[1 - current]);
    TakeRecords(buffers[current].Data(), static_cast<std::size_t>(read.Clusters * cluster), index);
    if (progress && !progress(NextRecord * BootSector.RecordSize, MftBytes)) {
      if (pending.valid()) pending.wait();
      return Fail(TNtfsFailure::Stopped, "stopped");
    }
    current = 1 - current;
    // The last known extent is read: the records just taken may have named more.
    if (piece.Clusters == 0) {
      piece = NextPiece(r, c, planned, bufferSize);
      if (piece.Clusters != 0) pending = start(piece, buffers[current]);
    }
  }
  if (NextRecord < MftBytes / BootSector.RecordSize) {
    return Fail(TNtfsFailure::Damaged, "damaged MFT: its extents end before its last record");
  }
  return true;
}

// Runs on the read-ahead thread: it touches only the source and `into`.
bool TNtfsMftReader::ReadPiece(TPiece piece, TAlignedBuffer& into) {
  return ReadClusters(piece.Lcn, piece.Clusters * BootSector.ClusterSize, into);
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
  index.Finish(upcase);
  return true;
}

}  // namespace Vellumetric
