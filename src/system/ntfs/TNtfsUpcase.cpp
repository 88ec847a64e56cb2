#include "system/ntfs/TNtfsUpcase.h"

#include <algorithm>

namespace Vellumetric {

TNtfsUpcase::TNtfsUpcase() : Table(65536) {
  for (std::size_t c = 0; c < Table.size(); ++c) Table[c] = static_cast<char16_t>(c);
  for (char16_t c = u'a'; c <= u'z'; ++c) Table[c] = static_cast<char16_t>(c - u'a' + u'A');
}

bool TNtfsUpcase::Load(const std::uint8_t* bytes, std::size_t size) {
  if (size != 2 * 65536) return false;
  std::vector<char16_t> table(65536);
  for (std::size_t c = 0; c < table.size(); ++c) {
    table[c] = static_cast<char16_t>(bytes[2 * c] | (bytes[2 * c + 1] << 8));
  }
  for (char16_t c = u'a'; c <= u'z'; ++c) {
    if (table[c] != c - u'a' + u'A') return false;
  }
  Table = std::move(table);
  return true;
}

int TNtfsUpcase::Compare(const char16_t* a, std::size_t aLength, const char16_t* b,
                         std::size_t bLength) const noexcept {
  const std::size_t common = std::min(aLength, bLength);
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;  // names in one folder often share a long start
    const char16_t ua = Table[a[i]];
    const char16_t ub = Table[b[i]];
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  if (aLength != bLength) return aLength < bLength ? -1 : 1;
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace Vellumetric
