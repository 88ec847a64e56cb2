#include "system/ntfs/TNtfsVolumeIndex.h"

#include "system/ntfs/NtfsNameText.h"

#include <algorithm>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

namespace Vellumetric {
namespace {

constexpr std::uint64_t kRecordMask = (1ULL << 48) - 1;
constexpr std::uint8_t kNamespaceDos = 2;

std::uint32_t RecordOf(std::uint64_t ref) {
  const std::uint64_t record = ref & kRecordMask;
  return record > std::numeric_limits<std::uint32_t>::max()
             ? std::numeric_limits<std::uint32_t>::max()
             : static_cast<std::uint32_t>(record);
}

std::uint16_t SequenceOf(std::uint64_t ref) {
  return static_cast<std::uint16_t>(ref >> 48);
}

}  // namespace

bool TNtfsVolumeIndex::Reset(std::uint64_t records) {
  if (records >= std::numeric_limits<std::uint32_t>::max()) return false;
  // Grown as records are read, not sized from the MFT's header: a damaged header could claim
  // billions of records that the volume does not hold.
  const auto expected = static_cast<std::size_t>(std::min<std::uint64_t>(records, 1U << 20));
  Files.clear();
  Files.reserve(expected);
  Limit = records;
  // About one name a record, of a dozen code units or so: memory grown by doubling is written
  // twice, and a page first written costs the system more than the copy.
  Entries.clear();
  Entries.reserve(expected);
  NamePool.clear();
  NamePool.reserve(expected * 16);  // bytes: most names are ASCII
  ChildStart.clear();
  Order.clear();
  Extensions.clear();
  ReparseTags.clear();
  Damaged = 0;
  InUse = 0;
  UsedEnd = 0;
  return true;
}

void TNtfsVolumeIndex::Grow(std::uint64_t end) {
  end = std::min(end, Limit);
  if (end > Files.size()) Files.resize(static_cast<std::size_t>(end));
}

void TNtfsVolumeIndex::TBatch::Clear() noexcept {
  Entries.clear();
  Names.clear();
  Extensions.clear();
  ReparseTags.clear();
  Damaged = 0;
  InUse = 0;
  End = 0;
}

void TNtfsVolumeIndex::TBatch::AddNames(std::uint32_t record, const TNtfsRecordFacts& facts) {
  for (const TNtfsRecordFacts::TName& name : facts.Names) {
    if (name.Namespace == kNamespaceDos) continue;
    TEntry e;
    e.Parent = RecordOf(name.ParentRef);
    e.ParentSequence = SequenceOf(name.ParentRef);
    e.Record = record;
    e.NameAt = static_cast<std::uint32_t>(Names.size());
    AppendNtfsNameText(name.Utf16, name.Length, Names);
    e.NameLength = static_cast<std::uint16_t>(Names.size() - e.NameAt);
    Entries.push_back(e);
  }
}

void TNtfsVolumeIndex::TBatch::Add(std::uint64_t number, const TNtfsRecordFacts& facts) {
  if (number >= Slots.size()) return;  // the reader grows the slots first: never taken
  const auto record = static_cast<std::uint32_t>(number);
  ++InUse;
  End = std::max<std::uint64_t>(End, number + 1);
  if (facts.BaseRef != 0) {
    TExtension ext{RecordOf(facts.BaseRef),
                   SequenceOf(facts.BaseRef),
                   static_cast<std::uint32_t>(Entries.size()),
                   0,
                   {}};
    AddNames(ext.Base, facts);
    ext.EntryCount = static_cast<std::uint32_t>(Entries.size()) - ext.FirstEntry;
    ext.Facts.HasUnnamedData = facts.HasUnnamedData;
    ext.Facts.DataSize = facts.DataSize;
    ext.Facts.DataAttributes = facts.DataAttributes;
    ext.Facts.DiskBytes = facts.DiskBytes;
    ext.Facts.HasReparse = facts.HasReparse;
    ext.Facts.ReparseTag = facts.ReparseTag;
    Extensions.push_back(std::move(ext));
    return;
  }
  TFile f{};
  f.Kind = facts.IsDirectory ? KindFolder : KindFile;
  f.Sequence = facts.Sequence;
  f.Attributes = facts.Attributes | facts.DataAttributes;
  f.LastAccess = facts.LastAccess;
  f.LastWrite = facts.LastWrite;
  f.DiskBytes = facts.DiskBytes;
  f.Size = facts.IsDirectory ? 0 : facts.DataSize;
  // Written in place: each parser owns its records' slots, so threads never share one.
  Slots[record] = f;
  if (facts.HasReparse) ReparseTags.emplace_back(record, facts.ReparseTag);
  AddNames(record, facts);
}

void TNtfsVolumeIndex::Append(TBatch& batch) {
  Damaged += batch.Damaged;
  InUse += batch.InUse;
  UsedEnd = std::max(UsedEnd, batch.End);
  for (const auto& [record, tag] : batch.ReparseTags) ReparseTags[record] = tag;
  // The pool is numbered with 32 bits: past that, names are dropped rather than wrapped.
  const std::size_t pool = NamePool.size();
  const bool fits = batch.Names.size() <= std::numeric_limits<std::uint32_t>::max() - pool;
  const auto first = static_cast<std::uint32_t>(Entries.size());
  if (fits) {
    NamePool.insert(NamePool.end(), batch.Names.begin(), batch.Names.end());
    for (TEntry e : batch.Entries) {
      e.NameAt += static_cast<std::uint32_t>(pool);
      Entries.push_back(e);
    }
  }
  for (TExtension& ext : batch.Extensions) {
    ext.FirstEntry += first;
    if (!fits) ext.EntryCount = 0;
    Extensions.push_back(std::move(ext));
  }
  batch.Clear();
}

// An extension record belongs to its base only while the base is in use with the generation the
// extension names; otherwise it is a leftover, and its names are dropped with it.
void TNtfsVolumeIndex::JoinExtensions() {
  for (const TExtension& ext : Extensions) {
    const bool valid = ext.Base < Files.size() && Files[ext.Base].Kind != KindNone &&
                       Files[ext.Base].Sequence == ext.BaseSequence;
    if (!valid) {
      for (std::uint32_t i = 0; i < ext.EntryCount; ++i) {
        Entries[ext.FirstEntry + i].Record = std::numeric_limits<std::uint32_t>::max();
      }
      continue;
    }
    TFile& f = Files[ext.Base];
    f.DiskBytes += ext.Facts.DiskBytes;
    if (ext.Facts.HasUnnamedData && f.Kind == KindFile) f.Size = ext.Facts.DataSize;
    f.Attributes |= ext.Facts.DataAttributes;
    if (ext.Facts.HasReparse) ReparseTags[ext.Base] = ext.Facts.ReparseTag;
  }
  Extensions.clear();
  Extensions.shrink_to_fit();
}

bool TNtfsVolumeIndex::EntryLeadsSomewhere(const TEntry& e) const {
  if (e.Record >= Files.size() || e.Record < FirstUserRecord || e.Record == e.Parent) return false;
  if (Files[e.Record].Kind == KindNone) return false;
  if (e.Parent >= Files.size() || Files[e.Parent].Kind != KindFolder) return false;
  // A reference with sequence 0 names no generation; any other must match the folder's.
  return e.ParentSequence == 0 || e.ParentSequence == Files[e.Parent].Sequence;
}

// Groups the `count` names that lead somewhere by parent, as positions, keeping their record
// order inside a folder (which is often already the index's): a counting sort that reads the
// names once, front to back, and leaves them where they are. The dropped ones have a parent past
// every record.
void TNtfsVolumeIndex::GroupByParent(std::size_t count) {
  const auto dropped = static_cast<std::uint32_t>(Files.size());
  ChildStart.assign(Files.size() + 1, 0);
  for (const TEntry& e : Entries) {
    if (e.Parent != dropped) ++ChildStart[e.Parent + 1];
  }
  // Each group's start, kept one place to the right: placing a name moves it on, so once all are
  // placed it is the group's end, which is where the next group starts. No second array of
  // cursors to fill.
  std::uint32_t start = 0;
  for (std::size_t i = 1; i < ChildStart.size(); ++i) {
    const std::uint32_t names = ChildStart[i];
    ChildStart[i] = start;
    start += names;
  }
  Order.resize(count);  // not written here: every slot is placed once below
  for (std::uint32_t i = 0; i < Entries.size(); ++i) {
    const std::uint32_t parent = Entries[i].Parent;
    if (parent != dropped) Order[ChildStart[parent + 1]++] = i;
  }
}

// The names of folders [first, last) in their index's order.
void TNtfsVolumeIndex::SortFolders(const TNtfsUpcase& upcase, std::size_t first, std::size_t last) {
  const auto before = [&](std::uint32_t x, std::uint32_t y) {
    return upcase.Compare(Name(Entries[x]), Name(Entries[y])) < 0;
  };
  for (std::size_t folder = first; folder < last; ++folder) {
    const auto from = Order.begin() + ChildStart[folder];
    const auto to = Order.begin() + ChildStart[folder + 1];
    // Files made one after another in name order often sit in that order in the MFT too.
    if (to - from > 1 && !std::is_sorted(from, to, before)) std::sort(from, to, before);
  }
}

// Each folder's names are its own, so shares of folders with about as many names each sort on
// threads of their own, with the same result as one thread.
void TNtfsVolumeIndex::SortAllFolders(const TNtfsUpcase& upcase, unsigned threads) {
  const std::size_t folders = Files.size();
  constexpr std::size_t kNamesPerThread = 1U << 16;
  const std::size_t shares =
      std::max<std::size_t>(1, std::min<std::size_t>(threads, Entries.size() / kNamesPerThread));
  std::vector<std::size_t> bounds{0};
  for (std::size_t k = 1; k < shares; ++k) {
    const auto target = static_cast<std::uint32_t>(Order.size() * k / shares);
    const auto at = std::lower_bound(ChildStart.begin(), ChildStart.end() - 1, target);
    bounds.push_back(std::max(bounds.back(), static_cast<std::size_t>(at - ChildStart.begin())));
  }
  bounds.push_back(folders);
  std::vector<std::jthread> helpers;
  for (std::size_t k = 1; k < shares; ++k) {
    try {
      helpers.emplace_back(
          [this, &upcase, &bounds, k] { SortFolders(upcase, bounds[k], bounds[k + 1]); });
    } catch (const std::system_error&) {
      SortFolders(upcase, bounds[k], bounds[k + 1]);  // no thread to be had: sorted here
    }
  }
  SortFolders(upcase, bounds[0], bounds[1]);
}

// What listing a name reads besides its slot: its entry, its text (first and last byte), its
// file, and for a folder where its own names are.
template <typename F>
void TNtfsVolumeIndex::ForEachRead(std::uint32_t position, const TEntry& e, bool folder,
                                   F use) const {
  // Bytes in two pieces count once in each, bytes in one piece once.
  const auto span = [&use](TArray array, std::size_t first, std::size_t last) {
    use(array, first);
    if ((last >> kPieceShift) != (first >> kPieceShift)) use(array, last);
  };
  use(ArrayEntries, std::size_t{position} * sizeof(TEntry));
  span(ArrayNames, e.NameAt, e.NameAt + std::max<std::size_t>(e.NameLength, 1) - 1);
  use(ArrayFiles, std::size_t{e.Record} * sizeof(TFile));
  if (folder) {
    const std::size_t start = std::size_t{e.Record} * sizeof(std::uint32_t);
    span(ArrayChildStart, start, start + sizeof(std::uint32_t));
  }
}

void TNtfsVolumeIndex::Finish(const TNtfsUpcase& upcase, unsigned threads) {
  // Slots were made for every record read; those past the last in use were never a file.
  Files.resize(static_cast<std::size_t>(UsedEnd));
  JoinExtensions();
  // A folder keeps only its first name; a file counts all of its own. A name that is not kept
  // gets a parent past every record.
  const auto dropped = static_cast<std::uint32_t>(Files.size());
  std::vector<bool> folderNamed(Files.size(), false);
  for (std::vector<std::uint32_t>& uses : UsesLeft) uses.clear();
  Released = 0;
  const auto pieces = [](std::size_t bytes) { return (bytes >> kPieceShift) + 1; };
  UsesLeft[ArrayFiles].resize(pieces(Files.capacity() * sizeof(TFile)));
  UsesLeft[ArrayEntries].resize(pieces(Entries.capacity() * sizeof(TEntry)));
  UsesLeft[ArrayNames].resize(pieces(NamePool.capacity()));
  UsesLeft[ArrayChildStart].resize(pieces((Files.size() + 1) * sizeof(std::uint32_t)));
  std::size_t count = 0;
  for (std::uint32_t position = 0; position < Entries.size(); ++position) {
    TEntry& e = Entries[position];
    if (!EntryLeadsSomewhere(e)) {
      e.Parent = dropped;
      continue;
    }
    TFile& f = Files[e.Record];
    if (f.Kind == KindFolder) {
      if (folderNamed[e.Record]) {
        e.Parent = dropped;
        continue;
      }
      folderNamed[e.Record] = true;
    }
    if (f.NameCount < 255) ++f.NameCount;
    ++count;
    ForEachRead(position, e, f.Kind == KindFolder,
                [this](TArray array, std::size_t byte) { CountUse(array, byte); });
  }
  GroupByParent(count);
  PlanRelease(count);
  SortAllFolders(upcase, threads);
}

void TNtfsVolumeIndex::CountUse(TArray array, std::size_t byte) {
  std::vector<std::uint32_t>& uses = UsesLeft[array];
  const std::size_t piece = byte >> kPieceShift;
  if (piece < uses.size()) ++uses[piece];
}

// Every slot is one use of its piece of the order.
void TNtfsVolumeIndex::PlanRelease(std::size_t kept) {
  UsesLeft[ArrayOrder].assign((kept * sizeof(std::uint32_t) >> kPieceShift) + 1, 0);
  for (std::size_t slot = 0; slot < kept; ++slot) CountUse(ArrayOrder, slot * 4);
}

void TNtfsVolumeIndex::DropUse(TArray array, std::size_t byte) {
  std::vector<std::uint32_t>& uses = UsesLeft[array];
  const std::size_t piece = byte >> kPieceShift;
  if (piece < uses.size() && uses[piece] != 0 && --uses[piece] == 0) ReleasePiece(array, piece);
}

void TNtfsVolumeIndex::ReleasePiece(TArray array, std::size_t piece) {
  // Only the bulk blocks are the index's own pages: a smaller array shares them with the heap.
  const auto bytesOf = [](const auto& v) -> std::size_t {
    const std::size_t item = sizeof(v[0]);
    return v.capacity() >= kBulkBlock / item ? v.capacity() * item : 0;
  };
  std::pair<void*, std::size_t> block;
  switch (array) {
    case ArrayFiles:
      block = {Files.data(), bytesOf(Files)};
      break;
    case ArrayEntries:
      block = {Entries.data(), bytesOf(Entries)};
      break;
    case ArrayNames:
      block = {NamePool.data(), bytesOf(NamePool)};
      break;
    case ArrayOrder:
      block = {Order.data(), bytesOf(Order)};
      break;
    case ArrayChildStart:
      block = {ChildStart.data(), bytesOf(ChildStart)};
      break;
  }
  const std::size_t from = piece << kPieceShift;
  if (from >= block.second) return;
  const std::size_t bytes = std::min(block.second - from, std::size_t{1} << kPieceShift);
  ReleaseBulkBytes(static_cast<char*>(block.first) + from, bytes);
  Released += bytes;
}

void TNtfsVolumeIndex::Listed(std::uint32_t slot) {
  if (slot >= Order.size()) return;
  const std::uint32_t position = Order[slot];
  const TEntry e = Entries[position];
  const bool folder = Files[e.Record].Kind == KindFolder;
  DropUse(ArrayOrder, std::size_t{slot} * sizeof(std::uint32_t));
  ForEachRead(position, e, folder,
              [this](TArray array, std::size_t byte) { DropUse(array, byte); });
}

std::uint32_t TNtfsVolumeIndex::ReparseTag(std::uint32_t record) const {
  const auto it = ReparseTags.find(record);
  return it == ReparseTags.end() ? 0 : it->second;
}

std::span<const std::uint32_t> TNtfsVolumeIndex::Children(std::uint32_t folder) const {
  if (!IsFolder(folder) || folder + 1 >= ChildStart.size()) return {};
  return {Order.data() + ChildStart[folder], ChildStart[folder + 1] - ChildStart[folder]};
}

TNtfsVolumeIndex::TSlots TNtfsVolumeIndex::ChildSlots(std::uint32_t folder) const {
  if (!IsFolder(folder) || folder + 1 >= ChildStart.size()) return {};
  return {ChildStart[folder], ChildStart[folder + 1]};
}

std::size_t TNtfsVolumeIndex::MemoryBytes() const noexcept {
  return Files.capacity() * sizeof(TFile) + Entries.capacity() * sizeof(TEntry) +
         NamePool.capacity() + (Order.capacity() + ChildStart.capacity()) * sizeof(std::uint32_t);
}

}  // namespace Vellumetric
