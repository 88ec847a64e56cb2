#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "system/ntfs/NtfsRecord.h"
#include "system/ntfs/TNtfsVolumeIndex.h"

namespace Vellumetric {

// Parses runs of MFT records for the volume index, on whichever thread runs it: each run has its
// own parser, and the reader joins their batches to the index in record order.
class TNtfsRecordParser {
 public:
  // What the $MFT's own record, its extension records and $UpCase's record say about where
  // their data lies: the reader follows the $MFT's extents and reads $UpCase with it.
  struct TDataRuns {
    std::uint64_t Record = 0;
    bool MftExtension = false;
    std::vector<std::uint8_t> Pairs;
    std::uint64_t LowestVcn = 0;
    std::uint64_t Size = 0;
  };

  TNtfsRecordParser(std::uint32_t recordSize, std::uint32_t clusterSize)
      : RecordSize(recordSize), ClusterSize(clusterSize) {}

  // The `count` whole records from record `first` on, laid one after another in `bytes`, into
  // Batch and Runs. The records are fixed up in place.
  void Parse(std::uint64_t first, std::uint8_t* bytes, std::size_t count);

  TNtfsVolumeIndex::TBatch Batch;
  std::vector<TDataRuns> Runs;  // in record order, since the last Clear

  void Clear() noexcept {
    Batch.Clear();
    Runs.clear();
  }

 private:
  void Take(std::uint64_t number, std::uint8_t* bytes);

  std::uint32_t RecordSize;
  std::uint32_t ClusterSize;
  TNtfsRecordFacts Facts;  // reused for every record
};

}  // namespace Vellumetric
