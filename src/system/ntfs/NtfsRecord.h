#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "system/ntfs/NtfsBytes.h"

namespace Vellumetric {

// What one MFT record says about its file, as far as a scan needs it. A base record and its
// extension records each yield one of these; the volume index merges them.
struct TNtfsRecordFacts {
  struct TName {
    std::uint64_t ParentRef = 0;          // record number in the low 48 bits, sequence number above
    std::uint8_t Namespace = 0;           // 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
    const std::uint8_t* Utf16 = nullptr;  // little-endian UTF-16, inside the record's bytes
    std::uint8_t Length = 0;              // in UTF-16 code units
  };

  bool IsDirectory = false;
  std::uint16_t Sequence = 0;
  std::uint64_t BaseRef = 0;  // 0 for a base record; else the base record's reference
  bool HasStandardInfo = false;
  std::uint32_t Attributes = 0;  // FILE_ATTRIBUTE_* of $STANDARD_INFORMATION
  std::uint64_t LastAccess = 0;
  std::uint64_t LastWrite = 0;  // the content's last change
  bool HasUnnamedData = false;
  std::uint64_t DataSize = 0;        // logical size of the unnamed data stream
  std::uint32_t DataAttributes = 0;  // sparse and compressed, from the stream's own flags
  // Clusters held outside the MFT by the data streams (named ones too) and a folder's index, in
  // bytes; a sparse or compressed stream by what it really holds.
  std::uint64_t DiskBytes = 0;
  bool HasReparse = false;
  std::uint32_t ReparseTag = 0;
  bool HasAttributeList = false;
  std::vector<TName> Names;
  // Set only while reading the $MFT's own record: the $DATA extents found in this record.
  std::vector<std::uint8_t> MftDataPairs;
  std::uint64_t MftDataLowestVcn = 0;
  std::uint64_t MftDataSize = 0;

  // Back to a blank record, keeping the vectors' memory for the next one.
  void Clear() noexcept;
};

enum class TNtfsRecordState {
  Unused,   // never written, or marked free: not part of the volume's tree
  InUse,    // parsed; its facts are filled
  Damaged,  // claims to be in use but cannot be trusted: skipped and counted
};

// The NTFS update-sequence fixups: the last two bytes of every 512-byte stride of a record were
// replaced on disk by a check value, whose originals sit in the record's update-sequence array.
// False when the array lies outside the record or a stride's check value does not match (a torn
// write). `record` must be the whole record.
[[nodiscard]] bool ApplyNtfsFixups(std::uint8_t* record, std::size_t size);

// Parses one fixed-up record. `wantMftData` keeps the mapping pairs of the unnamed $DATA (for
// the $MFT's own record and its extensions). Every offset inside the record is checked.
[[nodiscard]] TNtfsRecordState ParseNtfsRecord(TNtfsBytes record, std::uint32_t clusterSize,
                                               bool wantMftData, TNtfsRecordFacts& facts);

// FILE_ATTRIBUTE_* bits the scan looks at.
inline constexpr std::uint32_t kNtfsAttrSparse = 0x200;
inline constexpr std::uint32_t kNtfsAttrReparse = 0x400;
inline constexpr std::uint32_t kNtfsAttrCompressed = 0x800;
inline constexpr std::uint32_t kNtfsAttrOffline = 0x1000;
inline constexpr std::uint32_t kNtfsAttrRecallOnOpen = 0x40000;
inline constexpr std::uint32_t kNtfsAttrRecallOnDataAccess = 0x400000;

}  // namespace Vellumetric
