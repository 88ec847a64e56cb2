#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
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

  // The index order of two names, in the index's text (NtfsNameText.h): UTF-16 code unit by
  // code unit, case ignored first, then a shorter name first, then by the units themselves, so
  // two names that differ only in case still have a fixed order. Negative, 0 or positive.
  [[nodiscard]] int Compare(std::string_view a, std::string_view b) const noexcept;

 private:
  std::vector<char16_t> Table;
};

}  // namespace Vellumetric
