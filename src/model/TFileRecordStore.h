#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/TFileDisk.h"
#include "model/TMeasure.h"
#include "model/TNodeTree.h"

namespace Vellumetric {

using TFileId = std::uint32_t;
inline constexpr TFileId NoFile = std::numeric_limits<TFileId>::max();

// One scanned file as the store gives it back; its name is read with TFileRecordStore::Name.
struct TFileRecord {
  std::uint64_t Size = 0;
  TNodeId Folder = NoNode;
  std::int16_t Group = -1;
  std::uint8_t DiskFlags = 0;  // DiskHardLink, DiskSparse, ...
  std::uint64_t DiskSize = 0;

  [[nodiscard]] std::uint64_t Bytes(TMeasure measure) const noexcept {
    return measure == TMeasure::Disk ? DiskSize : Size;
  }
};

// The names of a file with several, as far as the scan knows them: how many there are and the
// one whose blocks count (the name the walk met first).
struct THardLinkInfo {
  std::uint32_t Names = 0;
  TFileId First = NoFile;
};

// Every file of a scan as a compact record, so a picture of the scan can show files and not only
// folders. Records and names are carved from large blocks (no heap object per file). A reader
// that needs each folder's files builds a TFolderFileIndex. One writer at a time; readers only
// after the writer has finished, like the folder tree.
class TFileRecordStore {
 public:
  static constexpr std::int32_t NoGroup = -1;
  static constexpr std::int64_t NoAccessTime = -1;

  TFileRecordStore() = default;
  TFileRecordStore(TFileRecordStore&&) noexcept = default;
  TFileRecordStore& operator=(TFileRecordStore&&) noexcept = default;

  // Adds a file of `folder` (a node id of the scan's folder tree). A group id outside 0..32767
  // is stored as NoGroup. `lastAccess` and `lastChange` (when the content last changed) are raw
  // file times (100 ns units since 1601, 0 for none), kept to the second. Answers NoFile,
  // storing nothing, only when the store is full (about four billion files or 4 GiB of names).
  TFileId Add(TNodeId folder, std::string_view name, std::uint64_t size, std::int32_t groupId,
              std::uint64_t lastAccess = 0, TFileDisk disk = {}, std::uint64_t lastChange = 0);
  void Clear();

  // Ids run from 0 to Count() - 1, removed files included: check Removed when walking them all.
  [[nodiscard]] std::size_t Count() const noexcept { return Total; }
  // Takes a file out without renumbering the others (a folder scanned again drops its old
  // files in place): its record reads as before but with Folder NoNode, and it has no links.
  void Remove(TFileId id);
  [[nodiscard]] bool Removed(TFileId id) const { return Stored(id).Folder == NoNode; }
  [[nodiscard]] TNodeId Folder(TFileId id) const { return Stored(id).Folder; }
  [[nodiscard]] std::size_t RemovedCount() const noexcept { return RemovedTotal; }
  [[nodiscard]] bool Empty() const noexcept { return Total == 0; }
  [[nodiscard]] TFileRecord Record(TFileId id) const {
    const TStored& r = Stored(id);
    const std::uint64_t size = (std::uint64_t{r.SizeHigh} << 32) | r.SizeLow;
    const std::uint32_t disk = DiskChunks[id / ChunkRecords][id % ChunkRecords];
    return {size < SizeLimit ? size : HugeSizes.at(id), r.Folder, r.Group,
            static_cast<std::uint8_t>(disk >> DiskFlagShift), DiskBytes(id, disk)};
  }
  [[nodiscard]] std::uint64_t Size(TFileId id) const {
    const TStored& r = Stored(id);
    const std::uint64_t size = (std::uint64_t{r.SizeHigh} << 32) | r.SizeLow;
    return size < SizeLimit ? size : HugeSizes.at(id);
  }
  [[nodiscard]] std::uint64_t DiskSize(TFileId id) const {
    return DiskBytes(id, DiskChunks[id / ChunkRecords][id % ChunkRecords]);
  }
  [[nodiscard]] std::uint8_t DiskFlags(TFileId id) const {
    return static_cast<std::uint8_t>(DiskChunks[id / ChunkRecords][id % ChunkRecords] >>
                                     DiskFlagShift);
  }
  // Records that the file is one name of several: `first` is the name whose blocks count (the
  // file itself when it is that one), `names` how many the file has. Sets DiskHardLink.
  void SetHardLink(TFileId id, TFileId first, std::uint32_t names);
  // Where a file's blocks count and how many names it has; Names is 0 for a file with one name.
  [[nodiscard]] THardLinkInfo HardLink(TFileId id) const;
  // The system's identity of a file with several names (volume, file number), kept so that a
  // folder scanned again can tell whether a name outside it counts the blocks already.
  void SetLinkIdentity(TFileId id, std::uint64_t volume, std::uint64_t file);
  struct TLinkedFile {
    TFileId Id;
    TFileId First;
    std::uint64_t Volume;
    std::uint64_t File;
  };
  // Every file with several names whose identity is known, in no particular order.
  [[nodiscard]] std::vector<TLinkedFile> LinkedFiles() const;
  // What the file takes on disk in this scan, changed when another of its names stops counting.
  void SetDisk(TFileId id, TFileDisk disk);

  // Appends the records of `from` whose folder `folderOf` maps to a node of this store's tree
  // (NoNode drops the record), in their order, with their names, times, groups and allocation.
  // `remap` receives each old id's new one (NoFile for a dropped record); links between names
  // follow the remap, and a name whose first name was dropped keeps its own place as first.
  template <class FolderOf>
  void AppendFrom(const TFileRecordStore& from, FolderOf folderOf, std::vector<TFileId>& remap);
  [[nodiscard]] std::string_view Name(TFileId id) const;
  [[nodiscard]] std::int32_t Group(TFileId id) const { return Stored(id).Group; }
  // The last access in seconds since 1970 (UTC), or NoAccessTime when the system gave none.
  // Times before 1970 read as 1970 and times after 2106 as the end of 2106.
  [[nodiscard]] std::int64_t LastAccess(TFileId id) const {
    const std::uint32_t t = AccessChunks[id / ChunkRecords][id % ChunkRecords];
    return t == 0 ? NoAccessTime : std::int64_t{t} - 1;
  }
  // When the file's content last changed (its modification time), as LastAccess gives times.
  [[nodiscard]] std::int64_t LastChange(TFileId id) const {
    const std::uint32_t t = ChangeChunks[id / ChunkRecords][id % ChunkRecords];
    return t == 0 ? NoAccessTime : std::int64_t{t} - 1;
  }
  // A raw file time as a record keeps it (seconds since 1970 plus one, 0 for none, clamped to
  // 1970 and 2106), and back: a listing that hands times on in this form loses nothing the
  // record would keep.
  [[nodiscard]] static std::uint32_t SecondsOfFileTime(std::uint64_t fileTime) noexcept;
  [[nodiscard]] static std::uint64_t FileTimeOfSeconds(std::uint32_t seconds) noexcept;

  // The raw file time (100 ns units since 1601; 0 for none) made of the record's second and
  // `belowSecond`, the part of the time below a second that the record drops.
  [[nodiscard]] std::uint64_t FileTime(TFileId id, std::uint32_t belowSecond) const;
  // The part of a raw file time below a second, which a record drops.
  [[nodiscard]] static std::uint32_t BelowSecond(std::uint64_t fileTime) noexcept;
  // True when the record's second and BelowSecond(fileTime) make `fileTime` again: not for a
  // time the record clamped (before 1970, after 2106).
  [[nodiscard]] bool GivesBackTime(TFileId id, std::uint64_t fileTime) const;

  // Bytes held by records and names, reserved blocks included.
  [[nodiscard]] std::size_t MemoryBytes() const noexcept;

 private:
  static constexpr std::size_t ChunkRecords = 8192;
  static constexpr unsigned NameBlockBits = 20;
  static constexpr std::size_t NameBlockSize = std::size_t{1} << NameBlockBits;
  static constexpr std::size_t MaxNameBlocks = std::size_t{1} << (32 - NameBlockBits);

  // A file as kept: 16 bytes. The size has 48 bits; a file of 256 TiB or more (a sparse one,
  // in practice) has its size in HugeSizes. The name starts at NameRef (a block index and an
  // offset) and ends where the next file's name starts, or where its block's names end: names
  // are stored in the order of the files.
  struct TStored {
    std::uint32_t SizeLow;
    std::uint16_t SizeHigh;
    std::int16_t Group;
    TNodeId Folder;
    std::uint32_t NameRef;
  };
  static_assert(sizeof(TStored) == 16);
  static constexpr std::uint64_t SizeLimit = (std::uint64_t{1} << 48) - 1;

  // A file's allocation in 32 bits: the flags on top, then whether the rest counts bytes or
  // 512-byte blocks. Blocks cover 64 GiB, which is every file but the rarest; an allocation
  // that is no multiple of 512 (a small file kept inside the MFT) is nearly always tiny and
  // fits as bytes. Anything else is kept whole in HugeDisks.
  static constexpr unsigned DiskFlagShift = 28;
  static constexpr std::uint32_t DiskInBytes = std::uint32_t{1} << 27;
  static constexpr std::uint32_t DiskValueMask = DiskInBytes - 1;
  [[nodiscard]] std::uint64_t DiskBytes(TFileId id, std::uint32_t stored) const {
    const std::uint64_t value = stored & DiskValueMask;
    if ((stored & DiskInBytes) == 0) return value * 512;
    return value == DiskValueMask ? HugeDisks.at(id) : value;
  }
  std::uint32_t StoredDisk(TFileId id, TFileDisk disk);

  [[nodiscard]] const TStored& Stored(TFileId id) const {
    return Chunks[id / ChunkRecords][id % ChunkRecords];
  }
  bool StoreName(std::string_view name, std::uint32_t& ref);

  std::vector<std::unique_ptr<TStored[]>> Chunks;
  std::unordered_map<TFileId, std::uint64_t> HugeSizes;
  // Last access per file, beside the records rather than in them: the record has no spare room,
  // and only queries read it. Seconds since 1970 plus one, so that 0 can stand for "none".
  std::vector<std::unique_ptr<std::uint32_t[]>> AccessChunks;
  std::vector<std::unique_ptr<std::uint32_t[]>> ChangeChunks;  // the same for the last change
  std::vector<std::unique_ptr<std::uint32_t[]>> DiskChunks;
  std::unordered_map<TFileId, std::uint64_t> HugeDisks;
  // Only files with several names: a name met later points at the first, which keeps the count.
  std::unordered_map<TFileId, THardLinkInfo> Links;
  std::unordered_map<TFileId, std::pair<std::uint64_t, std::uint64_t>> LinkIdentities;
  std::vector<std::unique_ptr<char[]>> NameBlocks;
  std::vector<std::uint32_t> BlockEnds;  // where the names of each block but the last end
  std::size_t NameUsed = NameBlockSize;  // in the last block; full when there is none
  std::size_t Total = 0;
  std::size_t RemovedTotal = 0;
};

template <class FolderOf>
void TFileRecordStore::AppendFrom(const TFileRecordStore& from, FolderOf folderOf,
                                  std::vector<TFileId>& remap) {
  remap.assign(from.Count(), NoFile);
  for (TFileId id = 0; id < from.Count(); ++id) {
    const TFileRecord r = from.Record(id);
    const TNodeId folder = folderOf(r.Folder);
    if (folder == NoNode) continue;
    remap[id] = Add(folder, from.Name(id), r.Size, r.Group, from.FileTime(id, 0),
                    TFileDisk{r.DiskSize, r.DiskFlags});
  }
  for (const auto& [id, info] : from.Links) {
    if (remap[id] == NoFile) continue;
    const TFileId first = remap[info.First] != NoFile ? remap[info.First] : remap[id];
    const THardLinkInfo whole = from.HardLink(id);
    SetHardLink(remap[id], first, whole.Names);
  }
  for (const auto& [id, key] : from.LinkIdentities) {
    if (remap[id] != NoFile) SetLinkIdentity(remap[id], key.first, key.second);
  }
}

}  // namespace Vellumetric
