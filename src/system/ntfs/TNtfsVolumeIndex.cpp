#include "system/ntfs/TNtfsVolumeIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

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
  NamePool.reserve(expected * 16);
  ChildStart.clear();
  Extensions.clear();
  ReparseTags.clear();
  Damaged = 0;
  InUse = 0;
  return true;
}

void TNtfsVolumeIndex::TBatch::Clear() noexcept {
  Files.clear();
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
    e.NameLength = name.Length;
    const std::size_t at = Names.size();
    Names.resize(at + name.Length);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(Names.data() + at, name.Utf16, 2U * name.Length);
    } else {
      for (std::size_t i = 0; i < name.Length; ++i) {
        Names[at + i] = static_cast<char16_t>(name.Utf16[2 * i] | (name.Utf16[2 * i + 1] << 8));
      }
    }
    Entries.push_back(e);
  }
}

void TNtfsVolumeIndex::TBatch::Add(std::uint64_t number, const TNtfsRecordFacts& facts) {
  if (number >= std::numeric_limits<std::uint32_t>::max()) return;
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
  TFile f;
  f.Kind = facts.IsDirectory ? KindFolder : KindFile;
  f.Sequence = facts.Sequence;
  f.Attributes = facts.Attributes | facts.DataAttributes;
  f.LastAccess = facts.LastAccess;
  f.LastWrite = facts.LastWrite;
  f.DiskBytes = facts.DiskBytes;
  f.Size = facts.IsDirectory ? 0 : facts.DataSize;
  Files.emplace_back(record, f);
  if (facts.HasReparse) ReparseTags.emplace_back(record, facts.ReparseTag);
  AddNames(record, facts);
}

void TNtfsVolumeIndex::Append(TBatch& batch) {
  Damaged += batch.Damaged;
  InUse += batch.InUse;
  // The batch's records are the next ones: the files grow up to its last in use.
  if (batch.End > Files.size() && batch.End <= Limit) Files.resize(batch.End);
  for (const auto& [record, file] : batch.Files) {
    if (record < Files.size()) Files[record] = file;
  }
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

// Counting sort by parent (stable, so a folder's names keep their record order) of the names
// that lead somewhere, straight into a vector of their exact number, then each folder's names in
// the folder index's own order. `kept` marks them; the old vector goes when this returns.
void TNtfsVolumeIndex::GroupByParent(const TNtfsUpcase& upcase, const std::vector<bool>& kept,
                                     std::size_t count) {
  ChildStart.assign(Files.size() + 1, 0);
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    if (kept[i]) ++ChildStart[Entries[i].Parent + 1];
  }
  for (std::size_t i = 1; i < ChildStart.size(); ++i) ChildStart[i] += ChildStart[i - 1];
  std::vector<TEntry> sorted(count);
  std::vector<std::uint32_t> next(ChildStart.begin(), ChildStart.end() - 1);
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    if (kept[i]) sorted[next[Entries[i].Parent]++] = Entries[i];
  }
  Entries = std::move(sorted);
  const char16_t* pool = NamePool.data();
  for (std::size_t folder = 0; folder + 1 < ChildStart.size(); ++folder) {
    auto first = Entries.begin() + ChildStart[folder];
    auto last = Entries.begin() + ChildStart[folder + 1];
    if (last - first < 2) continue;
    const auto before = [&](const TEntry& a, const TEntry& b) {
      return upcase.Compare(pool + a.NameAt, a.NameLength, pool + b.NameAt, b.NameLength) < 0;
    };
    // Files made one after another in name order often sit in that order in the MFT too.
    if (!std::is_sorted(first, last, before)) std::sort(first, last, before);
  }
}

void TNtfsVolumeIndex::Finish(const TNtfsUpcase& upcase) {
  JoinExtensions();
  // A folder keeps only its first name; a file counts all of its own.
  std::vector<bool> folderNamed(Files.size(), false);
  std::vector<bool> kept(Entries.size(), false);
  std::size_t count = 0;
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    const TEntry& e = Entries[i];
    if (!EntryLeadsSomewhere(e)) continue;
    TFile& f = Files[e.Record];
    if (f.Kind == KindFolder) {
      if (folderNamed[e.Record]) continue;
      folderNamed[e.Record] = true;
    }
    if (f.NameCount < 255) ++f.NameCount;
    kept[i] = true;
    ++count;
  }
  GroupByParent(upcase, kept, count);
}

std::uint32_t TNtfsVolumeIndex::ReparseTag(std::uint32_t record) const {
  const auto it = ReparseTags.find(record);
  return it == ReparseTags.end() ? 0 : it->second;
}

std::span<const TNtfsVolumeIndex::TEntry> TNtfsVolumeIndex::Children(std::uint32_t folder) const {
  if (!IsFolder(folder) || folder + 1 >= ChildStart.size()) return {};
  return {Entries.data() + ChildStart[folder], ChildStart[folder + 1] - ChildStart[folder]};
}

std::size_t TNtfsVolumeIndex::MemoryBytes() const noexcept {
  return Files.capacity() * sizeof(TFile) + Entries.capacity() * sizeof(TEntry) +
         NamePool.capacity() * sizeof(char16_t) + ChildStart.capacity() * sizeof(std::uint32_t);
}

}  // namespace Vellumetric
