#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "system/ntfs/NtfsRecord.h"
#include "system/ntfs/TNtfsVolumeIndex.h"

namespace Vellumetric {

// Parses runs of MFT records into the volume index, on whichever thread runs it: each thread
// has its own parser, and the reader joins their batches in record order. The bytes it is given
// are never written to, so they may be the source's own memory (a mapped image).
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
      : RecordSize(recordSize), ClusterSize(clusterSize), Record(recordSize) {}

  // The `count` whole records from record `first` on, laid one after another in `bytes`, into
  // Batch and Runs.
  void Parse(std::uint64_t first, const std::uint8_t* bytes, std::size_t count);

  TNtfsVolumeIndex::TBatch Batch;
  std::vector<TDataRuns> Runs;  // in record order, since the last Clear

  void Clear() noexcept {
    Batch.Clear();
    Runs.clear();
  }

 private:
  void Take(std::uint64_t number, const std::uint8_t* bytes);

  std::uint32_t RecordSize;
  std::uint32_t ClusterSize;
  std::vector<std::uint8_t> Record;  // the record being parsed, fixed up
  TNtfsRecordFacts Facts;            // reused for every record
};

}  // namespace Vellumetric
