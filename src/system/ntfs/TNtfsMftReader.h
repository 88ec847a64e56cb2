#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "system/ntfs/NtfsRunList.h"
#include "system/ntfs/TNtfsBootSector.h"
#include "system/ntfs/TNtfsByteSource.h"
#include "system/ntfs/TNtfsRecordParser.h"
#include "system/ntfs/TNtfsVolumeIndex.h"

namespace Vellumetric {

// Why a volume could not be read through its MFT; the scan then walks folders instead.
enum class TNtfsFailure { None, NotNtfs, Unreadable, Damaged, Stopped };

// Reads a whole volume's MFT into a TNtfsVolumeIndex: the boot sector, then the $MFT's extents,
// then every record in large sequential reads, then the $UpCase table that orders names.
class TNtfsMftReader {
 public:
  // Called after each read with the MFT bytes done and in all; answers false to stop.
  using TProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
  static constexpr std::size_t ChunkBytes = 8U << 20;

  explicit TNtfsMftReader(TNtfsByteSource& source);
  ~TNtfsMftReader();
  TNtfsMftReader(const TNtfsMftReader&) = delete;
  TNtfsMftReader& operator=(const TNtfsMftReader&) = delete;

  // False, with the failure and its reason, when the volume cannot be read or trusted. A damaged
  // record is skipped and counted; too many of them, or a damaged root or $MFT, make the whole
  // volume untrusted.
  [[nodiscard]] bool Load(TNtfsVolumeIndex& index, const TProgress& progress = nullptr);
  [[nodiscard]] TNtfsFailure Failure() const noexcept { return FailureKind; }
  [[nodiscard]] const std::string& Reason() const noexcept { return FailureText; }
  [[nodiscard]] const TNtfsBootSector& Boot() const noexcept { return BootSector; }
  [[nodiscard]] const std::vector<TNtfsRun>& MftRuns() const noexcept { return Runs; }

 private:
  class TAlignedBuffer;
  class THelper;

  bool Fail(TNtfsFailure kind, std::string reason);
  bool Unreadable(const std::string& error);
  bool ReadBoot();
  bool FindMftRuns();
  bool InVolume(std::uint64_t lcn, std::uint64_t clusters);
  bool ReadClusters(std::uint64_t lcn, std::uint64_t bytes, TAlignedBuffer& out);
  struct TPiece {
    std::uint64_t Lcn = 0;
    std::uint64_t Clusters = 0;
  };
  [[nodiscard]] TPiece NextPiece(std::size_t& r, std::uint64_t& c, std::uint64_t planned,
                                 std::size_t buffer) const;
  struct TPieceBytes {
    std::uint64_t Offset = 0;  // on the volume
    std::size_t Size = 0;
    std::uint8_t* Bytes = nullptr;  // the piece read whole, or null: read as parsed
  };
  bool CopyPiece(const TPieceBytes& piece, std::size_t at, std::size_t n, std::uint8_t* into);
  bool ParseBlocks(const TPieceBytes& piece, std::size_t at, std::size_t whole,
                   TAlignedBuffer (&own)[2], TNtfsVolumeIndex& index);
  bool TakeRecords(TPiece read, std::uint8_t* bytes, TAlignedBuffer (&own)[2],
                   TNtfsVolumeIndex& index);
  TNtfsRecordParser& Parser(int parity, std::size_t i);
  void Join(TNtfsRecordParser& parser, TNtfsVolumeIndex& index);
  void JoinParsed(int parity, TNtfsVolumeIndex& index);
  bool ReadRecords(TNtfsVolumeIndex& index, const TProgress& progress);
  void ExtendMftRuns(const std::vector<std::uint8_t>& pairs, std::uint64_t lowestVcn);
  void LoadUpcase(TNtfsUpcase& upcase);
  [[nodiscard]] std::uint64_t MftClusters() const;

  TNtfsByteSource& Source;
  std::unique_ptr<THelper> Helper;  // parses beside this thread for the whole read
  TNtfsBootSector BootSector;
  std::vector<TNtfsRun> Runs;
  std::uint64_t MftBytes = 0;  // the $MFT's data size
  // Extents of the $MFT found in its extension records, by first cluster, not yet joined.
  std::vector<std::pair<std::uint64_t, std::vector<TNtfsRun>>> PendingRuns;
  std::vector<std::uint8_t> UpcasePairs;
  std::uint64_t UpcaseBytes = 0;
  std::vector<std::uint8_t> Carry;
  // The records of the last two pieces, parsed and not yet joined to the index, in record order:
  // a record carried over from the piece before, then one parser per block.
  struct TParsed {
    std::vector<TNtfsRecordParser> Parsers;
    std::size_t Used = 0;
  };
  TParsed Parsed[2];
  int Parity = 0;  // which of the two the next piece goes to
  std::uint64_t NextRecord = 0;
  TNtfsFailure FailureKind = TNtfsFailure::None;
  std::string FailureText;
};

}  // namespace Vellumetric
