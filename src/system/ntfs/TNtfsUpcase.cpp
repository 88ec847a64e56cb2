#include "system/ntfs/TNtfsUpcase.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "system/ntfs/NtfsNameText.h"

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

int TNtfsUpcase::Compare(std::string_view a, std::string_view b) const noexcept {
  // Names in one folder often share a long start, which decides nothing: skipped.
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time; the lowest byte that differs is the first.
    for (; i + 8 <= common; i += 8) {
      std::uint64_t x = 0;
      std::uint64_t y = 0;
      std::memcpy(&x, a.data() + i, 8);
      std::memcpy(&y, b.data() + i, 8);
      if (x != y) {
        i += static_cast<std::size_t>(std::countr_zero(x ^ y)) / 8;
        break;
      }
    }
  }
  while (i < common && a[i] == b[i]) ++i;
  // Most names are ASCII, a byte a unit: decided here unless a longer character comes first.
  for (std::size_t k = i; k < common; ++k) {
    const auto ca = static_cast<unsigned char>(a[k]);
    const auto cb = static_cast<unsigned char>(b[k]);
    if ((ca | cb) >= 0x80) break;
    if (ca != cb && Table[ca] != Table[cb]) return Table[ca] < Table[cb] ? -1 : 1;
    if (k + 1 == common) {
      // Equal but for case as far as the shorter goes: the shorter first, else by the first
      // unit that differs.
      if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
  }
  // Back to the start of the character the first difference lies in (the same one in both).
  while (i > 0 && i < a.size() && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) --i;
  a.remove_prefix(i);
  b.remove_prefix(i);
  TNtfsNameUnits x(a);
  TNtfsNameUnits y(b);
  char16_t ua = 0;
  char16_t ub = 0;
  while (true) {
    const bool moreA = x.Next(ua);
    const bool moreB = y.Next(ub);
    if (!moreA || !moreB) {
      if (moreA != moreB) return moreA ? 1 : -1;  // the shorter first
      break;
    }
    if (ua == ub) continue;
    const char16_t fa = Table[ua];
    const char16_t fb = Table[ub];
    if (fa != fb) return fa < fb ? -1 : 1;
  }
  TNtfsNameUnits rawA(a);
  TNtfsNameUnits rawB(b);
  while (rawA.Next(ua) && rawB.Next(ub)) {
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  return 0;
}

}  // namespace Vellumetric
