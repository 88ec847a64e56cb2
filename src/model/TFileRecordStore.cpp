#include "model/TFileRecordStore.h"

#include <algorithm>
#include <cstring>

namespace Vellumetric {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;       // of a raw file time
constexpr std::uint64_t kUnixEpochSeconds = 11644473600;  // 1970 in seconds since 1601

}  // namespace

// A file time (100 ns units since 1601) as kept beside the records: seconds since 1970 plus one,
// clamped to what 32 bits hold; 0 when there is no time.
std::uint32_t TFileRecordStore::SecondsOfFileTime(std::uint64_t fileTime) noexcept {
  constexpr std::uint64_t kUnixEpoch = kUnixEpochSeconds * kTicksPerSecond;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  if (fileTime == 0) return 0;
  if (fileTime <= kUnixEpoch) return 1;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>((fileTime - kUnixEpoch) / kTicksPerSecond + 1, kMax));
}

std::uint64_t TFileRecordStore::FileTimeOfSeconds(std::uint32_t seconds) noexcept {
  if (seconds == 0) return 0;
  return (std::uint64_t{seconds} - 1 + kUnixEpochSeconds) * kTicksPerSecond;
}

TFileId TFileRecordStore::Add(TNodeId folder, std::string_view name, std::uint64_t size,
                              std::int32_t groupId, std::uint64_t lastAccess, TFileDisk disk,
                              std::uint64_t lastChange) {
  if (Total >= NoFile || folder == NoNode) return NoFile;
  // No file system allows a name this long; the cap keeps every name inside one name block.
  name = name.substr(0, std::numeric_limits<std::uint16_t>::max());
  std::uint32_t ref = 0;
  if (!StoreName(name, ref)) return NoFile;
  if (Total % ChunkRecords == 0) {
    // Not cleared: only the records added are ever read, and the last chunk's unused tail then
    // costs no memory.
    Chunks.push_back(std::make_unique_for_overwrite<TStored[]>(ChunkRecords));
    AccessChunks.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(ChunkRecords));
    ChangeChunks.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(ChunkRecords));
    DiskChunks.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(ChunkRecords));
  }
  const auto id = static_cast<TFileId>(Total++);
  AccessChunks.back()[id % ChunkRecords] = SecondsOfFileTime(lastAccess);
  ChangeChunks.back()[id % ChunkRecords] = SecondsOfFileTime(lastChange);
  DiskChunks.back()[id % ChunkRecords] = StoredDisk(id, disk);
  TStored& r = Chunks.back()[id % ChunkRecords];
  const std::uint64_t kept = std::min(size, SizeLimit);
  if (kept == SizeLimit) HugeSizes[id] = size;
  r.SizeLow = static_cast<std::uint32_t>(kept);
  r.SizeHigh = static_cast<std::uint16_t>(kept >> 32);
  r.Folder = folder;
  r.NameRef = ref;
  r.Group = groupId >= 0 && groupId <= std::numeric_limits<std::int16_t>::max()
                ? static_cast<std::int16_t>(groupId)
                : static_cast<std::int16_t>(NoGroup);
  return id;
}

std::uint32_t TFileRecordStore::StoredDisk(TFileId id, TFileDisk disk) {
  const auto flags = static_cast<std::uint32_t>(disk.Flags & DiskFlagMask) << DiskFlagShift;
  if (disk.Bytes % 512 == 0 && disk.Bytes / 512 <= DiskValueMask) {
    return flags | static_cast<std::uint32_t>(disk.Bytes / 512);
  }
  if (disk.Bytes < DiskValueMask)
    return flags | DiskInBytes | static_cast<std::uint32_t>(disk.Bytes);
  HugeDisks[id] = disk.Bytes;
  return flags | DiskInBytes | DiskValueMask;
}

void TFileRecordStore::SetHardLink(TFileId id, TFileId first, std::uint32_t names) {
  DiskChunks[id / ChunkRecords][id % ChunkRecords] |= std::uint32_t{DiskHardLink} << DiskFlagShift;
  Links[id] = {id == first ? names : 0, first};
}

void TFileRecordStore::Remove(TFileId id) {
  TStored& r = Chunks[id / ChunkRecords][id % ChunkRecords];
  if (r.Folder == NoNode) return;
  r.Folder = NoNode;
  Links.erase(id);
  LinkIdentities.erase(id);
  ++RemovedTotal;
}

void TFileRecordStore::SetLinkIdentity(TFileId id, std::uint64_t volume, std::uint64_t file) {
  LinkIdentities[id] = {volume, file};
}

std::vector<TFileRecordStore::TLinkedFile> TFileRecordStore::LinkedFiles() const {
  std::vector<TLinkedFile> out;
  out.reserve(LinkIdentities.size());
  for (const auto& [id, key] : LinkIdentities) {
    const auto link = Links.find(id);
    out.push_back({id, link == Links.end() ? id : link->second.First, key.first, key.second});
  }
  return out;
}

void TFileRecordStore::SetDisk(TFileId id, TFileDisk disk) {
  HugeDisks.erase(id);
  DiskChunks[id / ChunkRecords][id % ChunkRecords] = StoredDisk(id, disk);
}

THardLinkInfo TFileRecordStore::HardLink(TFileId id) const {
  const auto it = Links.find(id);
  if (it == Links.end()) return {};
  const TFileId first = it->second.First;
  if (first == id) return it->second;
  const auto head = Links.find(first);
  return {head == Links.end() ? 0 : head->second.Names, first};
}

std::uint32_t TFileRecordStore::BelowSecond(std::uint64_t fileTime) noexcept {
  return static_cast<std::uint32_t>(fileTime % kTicksPerSecond);
}

bool TFileRecordStore::GivesBackTime(TFileId id, std::uint64_t fileTime) const {
  return FileTime(id, BelowSecond(fileTime)) == fileTime;
}

std::uint64_t TFileRecordStore::FileTime(TFileId id, std::uint32_t belowSecond) const {
  const std::int64_t seconds = LastAccess(id);
  if (seconds == NoAccessTime) return belowSecond;
  return (static_cast<std::uint64_t>(seconds) + kUnixEpochSeconds) * kTicksPerSecond + belowSecond;
}

// Names are packed end to end; a name never straddles two blocks, so a reference is a block
// index and an offset. A full block is left even for an empty name, so that an offset always
// fits its bits.
bool TFileRecordStore::StoreName(std::string_view name, std::uint32_t& ref) {
  if (NameUsed + name.size() > NameBlockSize || NameUsed == NameBlockSize) {
    if (NameBlocks.size() >= MaxNameBlocks) return false;
    if (!NameBlocks.empty()) BlockEnds.push_back(static_cast<std::uint32_t>(NameUsed));
    NameBlocks.push_back(std::make_unique_for_overwrite<char[]>(NameBlockSize));
    NameUsed = 0;
  }
  if (!name.empty()) std::memcpy(NameBlocks.back().get() + NameUsed, name.data(), name.size());
  ref = static_cast<std::uint32_t>(((NameBlocks.size() - 1) << NameBlockBits) | NameUsed);
  NameUsed += name.size();
  return true;
}

std::string_view TFileRecordStore::Name(TFileId id) const {
  constexpr std::uint32_t kOffsetMask = NameBlockSize - 1;
  const std::uint32_t ref = Stored(id).NameRef;
  const std::size_t block = ref >> NameBlockBits;
  std::size_t end = block < BlockEnds.size() ? BlockEnds[block] : NameUsed;
  if (id + std::size_t{1} < Total) {
    const std::uint32_t next = Stored(id + 1).NameRef;
    if ((next >> NameBlockBits) == block) end = next & kOffsetMask;
  }
  const std::size_t start = ref & kOffsetMask;
  return {NameBlocks[block].get() + start, end - start};
}

void TFileRecordStore::Clear() {
  Chunks.clear();
  Chunks.shrink_to_fit();
  AccessChunks.clear();
  AccessChunks.shrink_to_fit();
  ChangeChunks.clear();
  ChangeChunks.shrink_to_fit();
  DiskChunks.clear();
  DiskChunks.shrink_to_fit();
  HugeDisks.clear();
  Links.clear();
  LinkIdentities.clear();
  NameBlocks.clear();
  NameBlocks.shrink_to_fit();
  std::vector<std::uint32_t>().swap(BlockEnds);
  HugeSizes.clear();
  NameUsed = NameBlockSize;
  Total = 0;
  RemovedTotal = 0;
}

std::size_t TFileRecordStore::MemoryBytes() const noexcept {
  constexpr std::size_t kMapEntry = sizeof(TFileId) + sizeof(std::uint64_t) + 2 * sizeof(void*);
  return Chunks.size() * ChunkRecords * (sizeof(TStored) + 3 * sizeof(std::uint32_t)) +
         NameBlocks.size() * NameBlockSize + BlockEnds.capacity() * sizeof(std::uint32_t) +
         (HugeSizes.size() + HugeDisks.size() + Links.size()) * kMapEntry +
         (Chunks.capacity() + AccessChunks.capacity() + ChangeChunks.capacity() +
          DiskChunks.capacity() + NameBlocks.capacity()) *
             sizeof(void*);
}

}  // namespace Vellumetric
