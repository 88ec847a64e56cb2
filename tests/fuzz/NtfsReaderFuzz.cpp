// libFuzzer target for the NTFS engine: mutated boot sectors and MFT records laid over a real
// small volume. Whatever the bytes, the reader must neither crash, read out of bounds nor loop,
// and what it accepts must list as a finite tree.
//
// The volume comes from VLM_FUZZ_NTFS_IMAGE (scripts/fuzz-ntfs makes it). An input's first byte
// chooses where the rest goes: odd, its first 512 bytes replace the boot sector and the others
// the start of the MFT; even, all of it replaces the start of the MFT. Its second bit chooses how
// the volume is read: as out of the system's cache (each thread its own blocks) or as a disk
// (large pieces read ahead).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "system/ntfs/TNtfsDirectoryLister.h"
#include "system/ntfs/TNtfsMftReader.h"

namespace {

using namespace Vellumetric;

// Reads straight from the shared volume, so no input pays for a copy of all of it.
class TSharedSource final : public TNtfsByteSource {
 public:
  TSharedSource(const std::vector<std::uint8_t>& bytes, bool cached)
      : Bytes(bytes), Cached(cached) {}
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::string& error) override {
    if (offset > Bytes.size() || size > Bytes.size() - offset) {
      error = "past the end";
      return false;
    }
    std::memcpy(buffer, Bytes.data() + offset, size);
    return true;
  }
  std::uint64_t Size() const override { return Bytes.size(); }
  std::size_t Alignment() const override { return 1; }
  bool CachedReads() const override { return Cached; }

 private:
  const std::vector<std::uint8_t>& Bytes;
  bool Cached;
};

std::vector<std::uint8_t> Volume;
std::vector<std::uint8_t> Pristine;
std::size_t MftOffset = 0;

// Every name reachable from the root, once; a folder met twice would mean a loop.
void ListEverything(const std::shared_ptr<TNtfsVolumeIndex>& index) {
  TNtfsDirectoryLister lister(index, TPathStyle::Windows);
  if (!lister.EnterRoot("C:", true)) return;
  std::size_t depth = 1;
  std::uint64_t names = 0;
  TDirEntry entry;
  while (depth > 0) {
    if (lister.Next(entry)) {
      if (++names > index->RecordCount() * 1024 + 1024) __builtin_trap();
      if (entry.IsDirectory && lister.EnterChild(entry.Name, {})) ++depth;
      continue;
    }
    lister.Leave();
    --depth;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* path = std::getenv("VLM_FUZZ_NTFS_IMAGE");
  FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) {
    std::fprintf(stderr, "set VLM_FUZZ_NTFS_IMAGE to a small NTFS image\n");
    std::abort();
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  std::fclose(f);
  TNtfsBootSector boot;
  std::string reason;
  if (!TNtfsBootSector::Parse(TNtfsBytes(bytes.data(), bytes.size()), boot, reason)) std::abort();
  MftOffset = static_cast<std::size_t>(boot.MftLcn * boot.ClusterSize);
  Volume = bytes;
  Pristine = std::move(bytes);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool boot = (data[0] & 1) != 0;
  const bool cached = (data[0] & 2) != 0;
  ++data;
  --size;
  std::size_t bootBytes = 0;
  if (boot) {
    bootBytes = size < 512 ? size : 512;
    std::memcpy(Volume.data(), data, bootBytes);
  }
  const std::size_t mftBytes = std::min(size - bootBytes, Volume.size() - MftOffset);
  std::memcpy(Volume.data() + MftOffset, data + bootBytes, mftBytes);

  TSharedSource source(Volume, cached);
  auto index = std::make_shared<TNtfsVolumeIndex>();
  TNtfsMftReader reader(source);
  if (reader.Load(*index)) ListEverything(index);

  std::memcpy(Volume.data(), Pristine.data(), bootBytes);
  std::memcpy(Volume.data() + MftOffset, Pristine.data() + MftOffset, mftBytes);
  return 0;
}
