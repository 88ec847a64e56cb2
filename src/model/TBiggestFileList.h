#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/TFileTypeData.h"

namespace Vellumetric {

// The largest files met by a scan, at most `Capacity`, kept ascending so the smallest is evicted
// first. Among equal sizes the file found earlier survives longer and, read from the end, comes
// first.
class TBiggestFileList {
 public:
  static constexpr std::size_t Capacity = 20;

  // Would Offer() of a file of this size change the list? Lets the scan skip building a record
  // for the vast majority of files.
  [[nodiscard]] bool Accepts(std::uint64_t size) const noexcept {
    return Items.size() < Capacity || size > Items.front().Size;
  }
  void Offer(const TFileTypeData& file);
  void Clear() { Items.clear(); }

  [[nodiscard]] std::size_t Count() const noexcept { return Items.size(); }
  [[nodiscard]] const TFileTypeData& operator[](std::size_t i) const { return Items[i]; }
  [[nodiscard]] const std::vector<TFileTypeData>& ItemsAscending() const noexcept { return Items; }

 private:
  std::vector<TFileTypeData> Items;
};

}  // namespace Vellumetric
