#include "system/ntfs/NtfsRecord.h"

#include <cstring>

namespace Vellumetric {
namespace {

constexpr std::size_t kFixupStride = 512;

enum : std::uint32_t {
  kAttrStandardInfo = 0x10,
  kAttrAttributeList = 0x20,
  kAttrFileName = 0x30,
  kAttrData = 0x80,
  kAttrIndexAllocation = 0xA0,
  kAttrReparsePoint = 0xC0,
  kAttrEnd = 0xFFFFFFFF,
};

enum : std::uint16_t {
  kFlagCompressed = 0x0001,
  kFlagSparse = 0x8000,
};

struct TAttribute {
  std::uint32_t Type = 0;
  bool NonResident = false;
  std::uint8_t NameLength = 0;
  std::uint16_t Flags = 0;
  TNtfsBytes Whole;
  TNtfsBytes Value;  // resident only
};

// A resident attribute's value; false when it does not fit inside the attribute.
bool ResidentValue(TAttribute& a) {
  bool ok = true;
  const std::uint32_t length = a.Whole.U32(16, ok);
  const std::uint16_t offset = a.Whole.U16(20, ok);
  if (!ok || !a.Whole.Has(offset, length)) return false;
  a.Value = a.Whole.Sub(offset, length);
  return true;
}

bool ReadStandardInfo(const TAttribute& a, TNtfsRecordFacts& facts) {
  bool ok = true;
  facts.LastWrite = a.Value.U64(8, ok);
  facts.LastAccess = a.Value.U64(24, ok);
  facts.Attributes = a.Value.U32(32, ok);
  facts.HasStandardInfo = ok;
  return ok;
}

bool ReadFileName(const TAttribute& a, TNtfsRecordFacts& facts) {
  bool ok = true;
  TNtfsRecordFacts::TName name;
  name.ParentRef = a.Value.U64(0, ok);
  name.Length = a.Value.U8(64, ok);
  name.Namespace = a.Value.U8(65, ok);
  if (!ok || name.Length == 0 || name.Namespace > 3 || !a.Value.Has(66, 2U * name.Length)) {
    return false;
  }
  name.Utf16 = a.Value.Raw() + 66;
  facts.Names.push_back(name);
  return true;
}

// Sizes of a non-resident extent; only the first extent of an attribute carries them.
bool ReadNonResident(const TAttribute& a, std::uint32_t clusterSize, bool wantMftData,
                     TNtfsRecordFacts& facts) {
  bool ok = true;
  const std::uint64_t lowestVcn = a.Whole.U64(16, ok);
  const std::uint16_t pairsOffset = a.Whole.U16(32, ok);
  if (!ok || pairsOffset > a.Whole.Size()) return false;
  const bool unnamedData = a.Type == kAttrData && a.NameLength == 0;
  if (unnamedData && wantMftData && facts.MftDataPairs.empty()) {
    const TNtfsBytes pairs = a.Whole.Sub(pairsOffset, a.Whole.Size() - pairsOffset);
    facts.MftDataPairs.assign(pairs.Raw(), pairs.Raw() + pairs.Size());
    facts.MftDataLowestVcn = lowestVcn;
    if (lowestVcn == 0) facts.MftDataSize = a.Whole.U64(48, ok);
  }
  if (lowestVcn != 0) return ok;
  const std::uint64_t allocated = a.Whole.U64(40, ok);
  const std::uint64_t dataSize = a.Whole.U64(48, ok);
  const bool packed = (a.Flags & (kFlagCompressed | kFlagSparse)) != 0;
  // The compressed size field exists only in the longer header of a packed attribute.
  if (pairsOffset < (packed ? 72 : 64)) return false;
  const std::uint64_t held = packed ? a.Whole.U64(64, ok) : allocated;
  // Sizes beyond 2^62 or not whole clusters are garbage, not a file.
  if (!ok || allocated > (1ULL << 62) || held > allocated || dataSize > (1ULL << 62) ||
      allocated % clusterSize != 0) {
    return false;
  }
  // What a user's data takes: its streams and a folder's index. Other attributes that grew out
  // of the record (a security descriptor, a long attribute list) are the file system's own
  // bookkeeping, as its metadata files are, and du on a mounted volume leaves them out too.
  if (a.Type == kAttrData || a.Type == kAttrIndexAllocation) facts.DiskBytes += held;
  if (unnamedData) {
    facts.HasUnnamedData = true;
    facts.DataSize = dataSize;
    // The stream's own flags, whatever the standard information says.
    if (a.Flags & kFlagSparse) facts.DataAttributes |= kNtfsAttrSparse;
    if (a.Flags & kFlagCompressed) facts.DataAttributes |= kNtfsAttrCompressed;
  }
  return true;
}

bool ReadAttribute(TAttribute& a, std::uint32_t clusterSize, bool wantMftData,
                   TNtfsRecordFacts& facts) {
  if (a.NonResident) return ReadNonResident(a, clusterSize, wantMftData, facts);
  if (!ResidentValue(a)) return false;
  switch (a.Type) {
    case kAttrStandardInfo:
      return ReadStandardInfo(a, facts);
    case kAttrFileName:
      return ReadFileName(a, facts);
    case kAttrData:
      if (a.NameLength == 0) {
        facts.HasUnnamedData = true;
        facts.DataSize = a.Value.Size();
      }
      return true;
    case kAttrReparsePoint: {
      bool ok = true;
      facts.ReparseTag = a.Value.U32(0, ok);
      facts.HasReparse = ok;
      return ok;
    }
    case kAttrAttributeList:
      facts.HasAttributeList = true;
      return true;
    default:
      return true;
  }
}

}  // namespace

void TNtfsRecordFacts::Clear() noexcept {
  IsDirectory = false;
  Sequence = 0;
  BaseRef = 0;
  HasStandardInfo = false;
  Attributes = 0;
  LastAccess = 0;
  LastWrite = 0;
  HasUnnamedData = false;
  DataSize = 0;
  DataAttributes = 0;
  DiskBytes = 0;
  HasReparse = false;
  ReparseTag = 0;
  HasAttributeList = false;
  Names.clear();
  MftDataPairs.clear();
  MftDataLowestVcn = 0;
  MftDataSize = 0;
}

bool ApplyNtfsFixups(std::uint8_t* record, std::size_t size) {
  const TNtfsBytes bytes(record, size);
  bool ok = true;
  const std::uint16_t offset = bytes.U16(4, ok);
  const std::uint16_t count = bytes.U16(6, ok);
  if (!ok || size % kFixupStride != 0 || count != size / kFixupStride + 1 || offset % 2 != 0 ||
      !bytes.Has(offset, 2U * count)) {
    return false;
  }
  const std::uint8_t* usa = record + offset;
  for (std::size_t i = 1; i < count; ++i) {
    std::uint8_t* tail = record + i * kFixupStride - 2;
    // The check value and the array may share the first stride; compare before writing.
    if (tail[0] != usa[0] || tail[1] != usa[1]) return false;
  }
  for (std::size_t i = 1; i < count; ++i) {
    std::memcpy(record + i * kFixupStride - 2, usa + 2 * i, 2);
  }
  return true;
}

TNtfsRecordState ParseNtfsRecord(TNtfsBytes record, std::uint32_t clusterSize, bool wantMftData,
                                 TNtfsRecordFacts& facts) {
  facts.Clear();
  bool ok = true;
  const std::uint16_t flags = record.U16(22, ok);
  if (!ok || (flags & 0x0001) == 0) return TNtfsRecordState::Unused;
  facts.IsDirectory = (flags & 0x0002) != 0;
  facts.Sequence = record.U16(16, ok);
  facts.BaseRef = record.U64(32, ok);
  const std::uint16_t first = record.U16(20, ok);
  const std::uint32_t used = record.U32(24, ok);
  if (!ok || used > record.Size() || first < 24 || first % 8 != 0 || first >= used) {
    return TNtfsRecordState::Damaged;
  }
  const TNtfsBytes inUse = record.Sub(0, used);
  std::size_t at = first;
  while (true) {
    TAttribute a;
    a.Type = inUse.U32(at, ok);
    if (!ok) return TNtfsRecordState::Damaged;
    if (a.Type == kAttrEnd) return TNtfsRecordState::InUse;
    const std::uint32_t length = inUse.U32(at + 4, ok);
    if (!ok || length < 24 || length % 8 != 0 || !inUse.Has(at, length)) {
      return TNtfsRecordState::Damaged;
    }
    a.Whole = inUse.Sub(at, length);
    a.NonResident = a.Whole.U8(8, ok) != 0;
    a.NameLength = a.Whole.U8(9, ok);
    a.Flags = a.Whole.U16(12, ok);
    if (!ok || (a.NonResident && length < 64)) return TNtfsRecordState::Damaged;
    if (!ReadAttribute(a, clusterSize, wantMftData, facts)) return TNtfsRecordState::Damaged;
    at += length;
  }
}

}  // namespace Vellumetric
