#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "system/BulkBlock.h"
#include "system/ntfs/NtfsRecord.h"
#include "system/ntfs/TNtfsUpcase.h"

namespace Vellumetric {

// Every file and folder of a volume as its MFT records describe them, kept compact, and each
// folder's names in the order the folder's own index keeps them. Filled record by record while
// the MFT is read, then finished once.
//
// Left out: records not in use, damaged records (counted), the file system's own metadata files
// (records below 16, with $Extend and all below it), names in the DOS namespace (the short twin
// of a long name), names whose parent is not an in-use folder of the same generation, and every
// name of a folder but its first, so the folders form a tree and a walk from the root ends.
class TNtfsVolumeIndex {
 public:
  static constexpr std::uint32_t RootRecord = 5;
  static constexpr std::uint32_t FirstUserRecord = 16;
  enum : std::uint8_t { KindNone = 0, KindFile = 1, KindFolder = 2 };

  // Plain, with no initial values: the slots of a million records are made without being written
  // (each is written once, by the parser of its record). `TFile{}` is a blank one.
  struct TFile {
    std::uint64_t Size;       // logical size of the unnamed data stream; 0 for a folder
    std::uint64_t DiskBytes;  // clusters of its streams or its index, in bytes
    std::uint64_t LastAccess;
    std::uint64_t LastWrite;  // the content's last change
    std::uint32_t Attributes;
    std::uint16_t Sequence;
    std::uint8_t Kind;       // KindNone, KindFile or KindFolder
    std::uint8_t NameCount;  // names in folders, stopping at 255
  };
  struct TEntry {
    std::uint32_t Parent = 0;
    std::uint32_t Record = 0;
    std::uint32_t NameAt = 0;      // in bytes, into the name pool
    std::uint16_t NameLength = 0;  // in bytes
    std::uint16_t ParentSequence = 0;
  };

  // What one thread parsed from a run of records, joined to the index afterwards in record
  // order, so records may be parsed on several threads and the index still comes out the same.
  // Parsing touches only its own batch.
  class TBatch;

  // `records`: how many records the MFT holds. False when that is more than this index can
  // number (2^32).
  [[nodiscard]] bool Reset(std::uint64_t records);
  // Makes room for the records below `end` (at most the MFT's count), which parsers then fill
  // in place, each its own records, through `FileSlots`: every record read must be written, in
  // use or not, and Finish drops the slots past the last one in use. Not while a parser runs:
  // the slots move.
  void Grow(std::uint64_t end);
  [[nodiscard]] std::span<TFile> FileSlots() noexcept { return Files; }
  // Joins a batch, in record order, and clears it for the next run.
  void Append(TBatch& batch);
  // Joins extension records to their bases, drops names that lead nowhere, and orders every
  // folder's names by `upcase`, sharing that among up to `threads` threads.
  void Finish(const TNtfsUpcase& upcase, unsigned threads = 1);

  // Records up to the last one in use.
  [[nodiscard]] std::uint64_t RecordCount() const noexcept { return Files.size(); }
  [[nodiscard]] std::uint64_t DamagedRecords() const noexcept { return Damaged; }
  [[nodiscard]] std::uint64_t RecordsInUse() const noexcept { return InUse; }
  [[nodiscard]] const TFile& File(std::uint32_t record) const { return Files[record]; }
  [[nodiscard]] bool IsFolder(std::uint32_t record) const {
    return record < Files.size() && Files[record].Kind == KindFolder;
  }
  // The reparse tag of a record that has a reparse point, else 0.
  [[nodiscard]] std::uint32_t ReparseTag(std::uint32_t record) const;
  // A folder's names in index order, as positions for `Entry`; empty for anything else.
  [[nodiscard]] std::span<const std::uint32_t> Children(std::uint32_t folder) const;
  // The same names as slots [First, End), whose positions for `Entry` `At` gives.
  struct TSlots {
    std::uint32_t First = 0;
    std::uint32_t End = 0;
  };
  [[nodiscard]] TSlots ChildSlots(std::uint32_t folder) const;
  [[nodiscard]] std::uint32_t At(std::uint32_t slot) const { return Order[slot]; }
  // Tells the index that a walk has taken all it needs of the name in `slot` (its entry, its
  // text, its file, and for a folder where its own names are) and will not come back to it. Parts
  // of the large arrays that no name still to be listed needs are then given back to the system
  // and read as zeros: a walk that lists each name once ends holding little more than the
  // scan's tree. Any other read of a name once listed reads zeros.
  void Listed(std::uint32_t slot);
  [[nodiscard]] std::size_t ReleasedBytes() const noexcept { return Released; }
  [[nodiscard]] const TEntry& Entry(std::uint32_t position) const { return Entries[position]; }
  // The name in the index's text (NtfsNameText.h): UTF-8 unless it holds a lone surrogate.
  [[nodiscard]] std::string_view Name(const TEntry& entry) const {
    return {NamePool.data() + entry.NameAt, entry.NameLength};
  }
  // Bytes held by the index, for the memory report.
  [[nodiscard]] std::size_t MemoryBytes() const noexcept;

 private:
  struct TExtension {
    std::uint32_t Base;
    std::uint16_t BaseSequence;
    std::uint32_t FirstEntry;
    std::uint32_t EntryCount;
    TNtfsRecordFacts Facts;  // without names (they went to Entries)
  };

  // The large arrays, given back piece by piece as the walk lists the names that read them.
  enum TArray : std::uint8_t { ArrayFiles, ArrayEntries, ArrayNames, ArrayOrder, ArrayChildStart };
  static constexpr std::size_t kArrays = 5;
  static constexpr unsigned kPieceShift = 21;  // pieces of 2 MiB
  // Calls `use(array, byte)` for every byte of an array that listing a name reads, but its slot.
  template <typename F>
  void ForEachRead(std::uint32_t position, const TEntry& e, bool folder, F use) const;
  void CountUse(TArray array, std::size_t byte);
  void DropUse(TArray array, std::size_t byte);
  void ReleasePiece(TArray array, std::size_t piece);
  void PlanRelease(std::size_t kept);

  void JoinExtensions();
  [[nodiscard]] bool EntryLeadsSomewhere(const TEntry& e) const;
  void GroupByParent(std::size_t count);
  void SortFolders(const TNtfsUpcase& upcase, std::size_t first, std::size_t last);
  void SortAllFolders(const TNtfsUpcase& upcase, unsigned threads);

  // Grows without writing the new slots: the parsers' threads write them, a record each, so the
  // first touch of a million records' memory is shared among the threads that parse. Blocks of
  // a megabyte or more come on large pages where the system has them.
  template <typename T>
  struct TBulkAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = TBulkAllocator<U>;
    };
    T* allocate(std::size_t n) {
      if (n < kBulkBlock / sizeof(T)) return std::allocator<T>::allocate(n);
      if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
      void* block = AllocateBulkBlock(n * sizeof(T));
      if (block == nullptr) throw std::bad_alloc();
      return static_cast<T*>(block);
    }
    void deallocate(T* p, std::size_t n) noexcept {
      if (n < kBulkBlock / sizeof(T)) return std::allocator<T>::deallocate(p, n);
      FreeBulkBlock(p, n * sizeof(T));
    }
    template <typename U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... A>
    void construct(U* p, A&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
  };
  template <typename T>
  using TBulk = std::vector<T, TBulkAllocator<T>>;
  static constexpr std::size_t kBulkBlock = std::size_t{1} << 20;

  TBulk<TFile> Files;
  TBulk<TEntry> Entries;
  TBulk<char> NamePool;
  // After Finish: the names that lead somewhere, as positions in Entries grouped by folder, and
  // where each record's group starts (one more, for the last group's end).
  TBulk<std::uint32_t> Order;
  TBulk<std::uint32_t> ChildStart;
  std::vector<TExtension> Extensions;
  std::unordered_map<std::uint32_t, std::uint32_t> ReparseTags;
  // Per array, per piece: how many names still to be listed read it.
  std::vector<std::uint32_t> UsesLeft[kArrays];
  std::size_t Released = 0;
  std::uint64_t Damaged = 0;
  std::uint64_t InUse = 0;
  std::uint64_t Limit = 0;    // records the MFT holds
  std::uint64_t UsedEnd = 0;  // one past the last record in use
};

class TNtfsVolumeIndex::TBatch {
 public:
  // Where base records' files go: the index's slots, grown past every record this batch takes.
  void Into(std::span<TFile> files) noexcept { Slots = files; }
  // A record that is no file: not in use, damaged, or an extension of another.
  void Blank(std::uint64_t number) noexcept {
    if (number < Slots.size()) Slots[number] = TFile{};
  }
  // One parsed record: a base record's file, an extension record's additions to its base's.
  void Add(std::uint64_t number, const TNtfsRecordFacts& facts);
  void AddDamaged() noexcept { ++Damaged; }
  void Clear() noexcept;

 private:
  friend class TNtfsVolumeIndex;
  void AddNames(std::uint32_t record, const TNtfsRecordFacts& facts);

  std::span<TFile> Slots;
  std::vector<TEntry> Entries;  // NameAt into Names
  std::vector<char> Names;
  std::vector<TExtension> Extensions;  // FirstEntry into Entries
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ReparseTags;
  std::uint64_t Damaged = 0;
  std::uint64_t InUse = 0;
  std::uint64_t End = 0;
};

}  // namespace Vellumetric
