#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/TNodeTree.h"

namespace Vellumetric {

using TFileId = std::uint32_t;
inline constexpr TFileId NoFile = std::numeric_limits<TFileId>::max();

// One scanned file as the store gives it back; its name is read with TFileRecordStore::Name.
struct TFileRecord {
  std::uint64_t Size = 0;
  TNodeId Folder = NoNode;
  std::int16_t Group = -1;
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
  // is stored as NoGroup. `lastAccess` is a raw file time (100 ns units since 1601, 0 for none),
  // kept to the second. Answers NoFile, storing nothing, only when the store is full (about four
  // billion files or 4 GiB of names).
  TFileId Add(TNodeId folder, std::string_view name, std::uint64_t size, std::int32_t groupId,
              std::uint64_t lastAccess = 0);
  void Clear();

  [[nodiscard]] std::size_t Count() const noexcept { return Total; }
  [[nodiscard]] bool Empty() const noexcept { return Total == 0; }
  [[nodiscard]] TFileRecord Record(TFileId id) const {
    const TStored& r = Stored(id);
    const std::uint64_t size = (std::uint64_t{r.SizeHigh} << 32) | r.SizeLow;
    return {size < SizeLimit ? size : HugeSizes.at(id), r.Folder, r.Group};
  }
  [[nodiscard]] std::string_view Name(TFileId id) const;
  [[nodiscard]] std::int32_t Group(TFileId id) const { return Stored(id).Group; }
  // The last access in seconds since 1970 (UTC), or NoAccessTime when the system gave none.
  // Times before 1970 read as 1970 and times after 2106 as the end of 2106.
  [[nodiscard]] std::int64_t LastAccess(TFileId id) const {
    const std::uint32_t t = AccessChunks[id / ChunkRecords][id % ChunkRecords];
    return t == 0 ? NoAccessTime : std::int64_t{t} - 1;
  }

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

  [[nodiscard]] const TStored& Stored(TFileId id) const {
    return Chunks[id / ChunkRecords][id % ChunkRecords];
  }
  bool StoreName(std::string_view name, std::uint32_t& ref);

  std::vector<std::unique_ptr<TStored[]>> Chunks;
  std::unordered_map<TFileId, std::uint64_t> HugeSizes;
  // Last access per file, beside the records rather than in them: the record has no spare room,
  // and only queries read it. Seconds since 1970 plus one, so that 0 can stand for "none".
  std::vector<std::unique_ptr<std::uint32_t[]>> AccessChunks;
  std::vector<std::unique_ptr<char[]>> NameBlocks;
  std::vector<std::uint32_t> BlockEnds;  // where the names of each block but the last end
  std::size_t NameUsed = NameBlockSize;  // in the last block; full when there is none
  std::size_t Total = 0;
};

}  // namespace Vellumetric
