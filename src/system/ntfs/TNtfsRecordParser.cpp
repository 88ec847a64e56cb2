#include "system/ntfs/TNtfsRecordParser.h"

#include <algorithm>
#include <cstring>

namespace Vellumetric {
namespace {

constexpr std::uint64_t kMftRecord = 0;
constexpr std::uint64_t kUpcaseRecord = 10;
constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kLineBytes = 64;

void Prefetch(const std::uint8_t* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

bool AllZero(const std::uint8_t* p, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

}  // namespace

void TNtfsRecordParser::Parse(std::uint64_t first, std::uint8_t* bytes, std::size_t count) {
  const std::size_t size = RecordSize;
  // The processor's own prefetch stops at each page's end: records are asked for a page ahead.
  const std::size_t ahead = std::max<std::size_t>(kPageBytes / size, 1);
  for (std::size_t i = 0; i < count; ++i) {
    if (i + ahead < count) {
      const std::uint8_t* next = bytes + (i + ahead) * size;
      for (std::size_t at = 0; at < size; at += kLineBytes) Prefetch(next + at);
    }
    Take(first + i, bytes + i * size);
  }
}

void TNtfsRecordParser::Take(std::uint64_t number, std::uint8_t* bytes) {
  const std::size_t size = RecordSize;
  Batch.Blank(number);  // until it proves to be a file
  if (std::memcmp(bytes, "FILE", 4) != 0) {
    // Space the MFT has reserved but never formatted reads as zeros; anything else is a record
    // that was overwritten or torn ("BAAD").
    if (!AllZero(bytes, size)) Batch.AddDamaged();
    return;
  }
  const TNtfsBytes view(bytes, size);
  bool ok = true;
  if ((view.U16(22, ok) & 0x0001) == 0) return;  // free: the flag lies before any fixup
  const std::uint64_t baseRef = view.U64(32, ok);
  const bool mftExtension = baseRef != 0 && (baseRef & ((1ULL << 48) - 1)) == kMftRecord;
  const bool wantRuns = number == kMftRecord || number == kUpcaseRecord || mftExtension;
  if (!ApplyNtfsFixups(bytes, size) ||
      ParseNtfsRecord(view, ClusterSize, wantRuns, Facts) != TNtfsRecordState::InUse) {
    Batch.AddDamaged();
    return;
  }
  Batch.Add(number, Facts);
  if (wantRuns && !Facts.MftDataPairs.empty()) {
    Runs.push_back(
        {number, mftExtension, Facts.MftDataPairs, Facts.MftDataLowestVcn, Facts.MftDataSize});
  }
}

}  // namespace Vellumetric
