#include "system/ntfs/NtfsRunList.h"

namespace Vellumetric {
namespace {

// A signed little-endian number of `width` bytes (0 to 8).
std::int64_t SignedField(const std::uint8_t* p, unsigned width) {
  if (width == 0) return 0;
  std::uint64_t value = 0;
  for (unsigned i = width; i-- > 0;) value = (value << 8) | p[i];
  if (width < 8 && (p[width - 1] & 0x80) != 0) value |= ~0ULL << (width * 8);
  return static_cast<std::int64_t>(value);
}

constexpr std::uint64_t kMaxRunLength = 1ULL << 48;
// A badly fragmented 2 TB file still has far fewer extents; more means garbage.
constexpr std::size_t kMaxRuns = 1U << 22;

}  // namespace

bool DecodeRunList(TNtfsBytes pairs, std::uint64_t volumeClusters, std::vector<TNtfsRun>& runs) {
  const std::uint8_t* p = pairs.Raw();
  std::size_t at = 0;
  std::int64_t lcn = 0;
  while (at < pairs.Size()) {
    const std::uint8_t header = p[at];
    if (header == 0) return true;
    const unsigned lengthBytes = header & 0x0F;
    const unsigned offsetBytes = header >> 4;
    if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8) return false;
    if (!pairs.Has(at + 1, lengthBytes + offsetBytes)) return false;
    const std::int64_t length = SignedField(p + at + 1, lengthBytes);
    if (length <= 0 || static_cast<std::uint64_t>(length) > kMaxRunLength) return false;
    TNtfsRun run;
    run.Length = static_cast<std::uint64_t>(length);
    if (offsetBytes != 0) {
      const std::int64_t delta = SignedField(p + at + 1 + lengthBytes, offsetBytes);
      if ((delta > 0 && lcn > INT64_MAX - delta) || (delta < 0 && lcn < INT64_MIN - delta)) {
        return false;
      }
      lcn += delta;
      if (lcn < 0 || static_cast<std::uint64_t>(lcn) >= volumeClusters ||
          run.Length > volumeClusters - static_cast<std::uint64_t>(lcn)) {
        return false;
      }
      run.Lcn = lcn;
    }
    if (runs.size() >= kMaxRuns) return false;
    runs.push_back(run);
    at += 1 + lengthBytes + offsetBytes;
  }
  return false;  // no terminating zero inside the attribute
}

}  // namespace Vellumetric
