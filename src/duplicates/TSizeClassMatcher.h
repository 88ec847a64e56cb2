#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "duplicates/ContentHash.h"
#include "duplicates/TDuplicateProgress.h"
#include "model/TFileRecordStore.h"
#include "system/TContentSource.h"

namespace Vellumetric {

struct TMatchSettings {
  bool ByteCheck = true;
  // A read's size past the first MiB, for a set of two files; more files read side by side share
  // BufferBytes between them.
  std::size_t ChunkBytes = std::size_t{1} << 20;
  std::size_t BufferBytes = std::size_t{16} << 20;
};

// What one matcher found over every size it was given.
struct TMatchFindings {
  struct TSet {
    std::uint64_t Size = 0;
    std::uint32_t First = 0;  // in SetFiles
    std::uint32_t Count = 0;
  };
  std::vector<TSet> Sets;         // files of equal bytes, two or more
  std::vector<TFileId> SetFiles;  // one name per file: the first of the scan's records
  // Another name of a file (a hard link) and the name that stands for the file.
  std::vector<std::pair<TFileId, TFileId>> OtherNames;
  // Not compared to the end: changed, vanished, unreadable, not a regular file or online only.
  std::vector<TFileId> NotCompared;
  std::uint64_t LeftOut = 0;  // changed, vanished or unreadable
  std::uint64_t OnlineOnly = 0;
};

// Sorts files of one size into sets of equal bytes, in stages that each go on only with the files
// still equal: the first 4 KiB, then the first MiB, then the whole file. Up to MaxSideBySide files
// are read side by side, a piece of each at a time, so each byte is read once and the byte check
// is a comparison in memory; a larger set is hashed one file after another (XXH3-128) and then,
// with the byte check, compared against its first file in batches.
class TSizeClassMatcher {
 public:
  static constexpr std::size_t MaxSideBySide = 64;

  using TPathOf = std::function<std::string(TFileId)>;
  TSizeClassMatcher(TContentSource& source, const TMatchSettings& settings,
                    TDuplicateProgress& progress, std::function<bool()> stopRequested,
                    TPathOf pathOf, TMatchFindings& findings);
  ~TSizeClassMatcher();
  TSizeClassMatcher(const TSizeClassMatcher&) = delete;
  TSizeClassMatcher& operator=(const TSizeClassMatcher&) = delete;

  // Compares `files`, all of `size` bytes by the scan. False when stopped part way: nothing of
  // these files is added then.
  [[nodiscard]] bool Match(std::uint64_t size, std::span<const TFileId> files);

 private:
  struct TMember;
  using TPart = std::vector<std::uint32_t>;  // indexes into Members

  [[nodiscard]] TPart SetAsideOtherNames();
  [[nodiscard]] bool Compare(const TPart& all);
  [[nodiscard]] bool SideBySide(TPart part, std::uint64_t from, std::vector<TPart>& finals);
  [[nodiscard]] bool Staged(const TPart& all, std::vector<TPart>& finals);
  [[nodiscard]] bool Verify(TPart pending, std::vector<TPart>& finals);
  void Split(const TPart& part, std::size_t length, std::vector<TPart>& next);
  void SplitByHash(std::vector<std::pair<THash128, std::uint32_t>>& keyed,
                   std::vector<TPart>& next);
  [[nodiscard]] bool ReadPiece(std::uint32_t m, std::uint64_t from, std::uint64_t to);
  [[nodiscard]] bool HashRange(std::uint32_t m, std::uint64_t from, std::uint64_t to,
                               THash128& digest);
  [[nodiscard]] bool EnsureOpen(std::uint32_t m);
  void Release(std::uint32_t m);
  void Emit(const TPart& part);
  void Fail(TMember& member, TOpenOutcome why);
  void Deduct(TMember& member);
  void PlanFor(TMember& member, std::uint64_t bytes);
  [[nodiscard]] std::uint64_t NextEnd(std::uint64_t pos, std::size_t chunk) const noexcept;
  [[nodiscard]] std::byte* Slot(std::uint32_t m) noexcept;
  [[nodiscard]] bool Stopped() const { return Stop(); }

  TContentSource& Source;
  TMatchSettings Settings;
  TDuplicateProgress& Progress;
  std::function<bool()> Stop;
  TPathOf PathOf;
  TMatchFindings& Out;
  std::vector<TMember> Members;
  std::vector<std::byte> Buffer;
  std::size_t SlotBytes = 0;
  TRunningHash Running;
  std::uint64_t Size = 0;
  bool KeepOpen = true;
};

}  // namespace Vellumetric
