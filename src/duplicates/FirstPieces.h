#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "duplicates/ContentHash.h"
#include "duplicates/TDuplicateProgress.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"
#include "system/TContentSource.h"

namespace Vellumetric {

// A file's first piece: the first 4 KiB, or the whole of a smaller file.
struct TFirstPiece {
  static constexpr std::size_t Bytes = 4096;

  THash128 Hash;
  std::uint32_t Read = 0;  // bytes read
  // Opened when the piece was read whole; Vanished also for a file shorter than the scan saw.
  TOpenOutcome Outcome = TOpenOutcome::Opened;
};

// How the first pieces are read.
struct TPieceReaders {
  int Disk = 1;  // threads that read from the disk
  // Where the disk allows only one reader: threads that first take what the system's memory
  // holds (several at once cost the disk no seek), leaving the rest to the one reader; 0 for none.
  int Cache = 0;
  bool Background = false;  // give way to a window's thread
};

// Reads and hashes the first piece of `files[i]` for each i of `order`, into `pieces[i]`: most
// files of a size share it with no other and need nothing more. `order` goes folder by folder, so
// each file is opened from its folder (and, on a spinning disk, close to the one before it). The
// readers take a share each. False when stopped part way.
[[nodiscard]] bool ReadFirstPieces(std::span<const TFileId> files,
                                   std::span<const std::uint32_t> order,
                                   const TFileRecordStore& records, const TFolderTree& tree,
                                   TPathStyle style, TContentSource& source,
                                   const TPieceReaders& readers, TDuplicateProgress& progress,
                                   const std::function<bool()>& stopRequested,
                                   std::vector<TFirstPiece>& pieces);

}  // namespace Vellumetric
