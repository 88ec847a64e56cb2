#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vellumetric {

// The volume's own upper-case table ($UpCase), which orders every folder's index: listings on
// Windows and through ntfs-3g return names in that order, and so does the engine.
class TNtfsUpcase {
 public:
  // Until a table is loaded, only a to z fold.
  TNtfsUpcase();
  // `bytes`: the $UpCase stream, 65,536 little-endian UTF-16 code units. False, keeping the
  // table as it was, when it has another length or maps a letter a to z elsewhere than A to Z.
  [[nodiscard]] bool Load(const std::uint8_t* bytes, std::size_t size);

  // The index order of two names: case ignored first, then code unit by code unit, so two names
  // that differ only in case still have a fixed order. Negative, 0 or positive.
  [[nodiscard]] int Compare(const char16_t* a, std::size_t aLength, const char16_t* b,
                            std::size_t bLength) const noexcept;

 private:
  std::vector<char16_t> Table;
};

}  // namespace Vellumetric
