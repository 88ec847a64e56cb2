#include "model/TFileRecordStore.h"

#include <algorithm>
#include <cstring>

namespace Vellumetric {

namespace {

// A file time (100 ns units since 1601) as kept beside the records: seconds since 1970 plus one,
// clamped to what 32 bits hold; 0 when there is no time.
std::uint32_t StoredAccessTime(std::uint64_t fileTime) {
  constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  if (fileTime == 0) return 0;
  if (fileTime <= kUnixEpoch) return 1;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>((fileTime - kUnixEpoch) / 10000000ULL + 1, kMax));
}

}  // namespace

TFileId TFileRecordStore::Add(TNodeId folder, std::string_view name, std::uint64_t size,
                              std::int32_t groupId, std::uint64_t lastAccess) {
  if (Total >= NoFile || folder == NoNode) return NoFile;
  // No file system allows a name this long; the cap only keeps the length field honest.
  name = name.substr(0, std::numeric_limits<std::uint16_t>::max());
  std::uint32_t ref = 0;
  if (!StoreName(name, ref)) return NoFile;
  if (Total % ChunkRecords == 0) {
    Chunks.push_back(std::make_unique<TFileRecord[]>(ChunkRecords));
    AccessChunks.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(ChunkRecords));
  }
  const auto id = static_cast<TFileId>(Total++);
  AccessChunks.back()[id % ChunkRecords] = StoredAccessTime(lastAccess);
  TFileRecord& r = Chunks.back()[id % ChunkRecords];
  r.Size = size;
  r.Folder = folder;
  r.NameRef = ref;
  r.NameLength = static_cast<std::uint16_t>(name.size());
  r.Group = groupId >= 0 && groupId <= std::numeric_limits<std::int16_t>::max()
                ? static_cast<std::int16_t>(groupId)
                : static_cast<std::int16_t>(NoGroup);
  return id;
}

std::uint64_t TFileRecordStore::FileTime(TFileId id, std::uint32_t belowSecond) const {
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  constexpr std::uint64_t kUnixEpochSeconds = 11644473600;  // 1970 in seconds since 1601
  const std::int64_t seconds = LastAccess(id);
  if (seconds == NoAccessTime) return belowSecond;
  return (static_cast<std::uint64_t>(seconds) + kUnixEpochSeconds) * kTicksPerSecond + belowSecond;
}

// Names are packed end to end; a name never straddles two blocks, so a reference is a block
// index and an offset.
bool TFileRecordStore::StoreName(std::string_view name, std::uint32_t& ref) {
  if (NameUsed + name.size() > NameBlockSize) {
    if (NameBlocks.size() >= MaxNameBlocks) return false;
    NameBlocks.push_back(std::make_unique_for_overwrite<char[]>(NameBlockSize));
    NameUsed = 0;
  }
  std::memcpy(NameBlocks.back().get() + NameUsed, name.data(), name.size());
  ref = static_cast<std::uint32_t>(((NameBlocks.size() - 1) << NameBlockBits) | NameUsed);
  NameUsed += name.size();
  return true;
}

std::string_view TFileRecordStore::Name(TFileId id) const {
  const TFileRecord& r = Record(id);
  const char* block = NameBlocks[r.NameRef >> NameBlockBits].get();
  return {block + (r.NameRef & (NameBlockSize - 1)), r.NameLength};
}

void TFileRecordStore::Clear() {
  Chunks.clear();
  Chunks.shrink_to_fit();
  AccessChunks.clear();
  AccessChunks.shrink_to_fit();
  NameBlocks.clear();
  NameBlocks.shrink_to_fit();
  NameUsed = NameBlockSize;
  Total = 0;
}

std::size_t TFileRecordStore::MemoryBytes() const noexcept {
  return Chunks.size() * ChunkRecords * (sizeof(TFileRecord) + sizeof(std::uint32_t)) +
         NameBlocks.size() * NameBlockSize +
         (Chunks.capacity() + AccessChunks.capacity() + NameBlocks.capacity()) * sizeof(void*);
}

}  // namespace Vellumetric
