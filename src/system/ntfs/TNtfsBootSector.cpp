#include "system/ntfs/TNtfsBootSector.h"

#include <cstring>

namespace Vellumetric {
namespace {

bool IsPowerOfTwo(std::uint64_t v) {
  return v != 0 && (v & (v - 1)) == 0;
}

// Sectors per cluster, and clusters per record, are stored as a signed byte: a negative value n
// stands for 2^-n (bytes for records; for clusters, the sector count on volumes with clusters
// above 64 KiB).
std::uint64_t ScaledSize(std::uint8_t raw, std::uint64_t unit) {
  const auto value = static_cast<std::int8_t>(raw);
  if (value > 0) return static_cast<std::uint64_t>(value) * unit;
  const int shift = -value;
  return shift > 0 && shift < 32 ? 1ULL << shift : 0;
}

}  // namespace

bool TNtfsBootSector::Parse(TNtfsBytes sector, TNtfsBootSector& out, std::string& reason) {
  if (!sector.Has(0, 512) || std::memcmp(sector.Raw() + 3, "NTFS    ", 8) != 0) {
    reason = "not an NTFS volume";
    return false;
  }
  bool ok = true;
  out.BytesPerSector = sector.U16(0x0B, ok);
  const std::uint8_t rawSectors = sector.U8(0x0D, ok);
  const std::uint64_t totalSectors = sector.U64(0x28, ok);
  out.MftLcn = sector.U64(0x30, ok);
  const std::uint8_t rawRecord = sector.U8(0x40, ok);
  out.Serial = sector.U64(0x48, ok);
  const std::uint64_t sectors =
      rawSectors <= 0x80 ? rawSectors : ScaledSize(rawSectors, 1);  // 2^n sectors
  const std::uint64_t cluster = sectors * out.BytesPerSector;
  if (!ok || !IsPowerOfTwo(out.BytesPerSector) || out.BytesPerSector < 256 ||
      out.BytesPerSector > 4096 || !IsPowerOfTwo(cluster) || cluster > (1U << 21)) {
    reason = "damaged NTFS boot sector: impossible sector or cluster size";
    return false;
  }
  out.ClusterSize = static_cast<std::uint32_t>(cluster);
  out.TotalClusters = totalSectors / sectors;
  const std::uint64_t record = ScaledSize(rawRecord, cluster);
  if (!IsPowerOfTwo(record) || record < 512 || record > 65536) {
    reason = "damaged NTFS boot sector: impossible MFT record size";
    return false;
  }
  out.RecordSize = static_cast<std::uint32_t>(record);
  if (out.TotalClusters == 0 || out.MftLcn >= out.TotalClusters) {
    reason = "damaged NTFS boot sector: the MFT lies outside the volume";
    return false;
  }
  return true;
}

}  // namespace Vellumetric
