#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/TFileTypeData.h"

namespace Vellumetric {

// The largest files met by a scan, at most `Capacity`, kept ascending so the smallest is evicted
// first. Among equal sizes the file found earlier survives longer and, read from the end, comes
// first. "Largest" is by the list's measure: the bytes a file holds, or those it takes on disk.
class TBiggestFileList {
 public:
  static constexpr std::size_t Capacity = 20;

  explicit TBiggestFileList(TMeasure measure = TMeasure::Size) noexcept : Key(measure) {}

  [[nodiscard]] TMeasure Measure() const noexcept { return Key; }
  // Would Offer() of a file of these sizes change the list? Lets the scan skip building a record
  // for the vast majority of files.
  [[nodiscard]] bool Accepts(std::uint64_t size, std::uint64_t diskSize = 0) const noexcept {
    const std::uint64_t key = Key == TMeasure::Disk ? diskSize : size;
    return Items.size() < Capacity || key > Items.front().Bytes(Key);
  }
  void Offer(const TFileTypeData& file);
  void Clear() { Items.clear(); }
  // Drops the files `gone` names, keeping the others' order; answers how many went.
  template <class Gone>
  std::size_t RemoveIf(Gone gone) {
    return static_cast<std::size_t>(std::erase_if(Items, gone));
  }
  // Points each file at its id after the store was compacted (`newIds` by old id).
  void Renumber(const std::vector<TFileId>& newIds) {
    for (TFileTypeData& item : Items) {
      if (item.File < newIds.size()) item.File = newIds[item.File];
    }
  }

  [[nodiscard]] std::size_t Count() const noexcept { return Items.size(); }
  [[nodiscard]] const TFileTypeData& operator[](std::size_t i) const { return Items[i]; }
  [[nodiscard]] const std::vector<TFileTypeData>& ItemsAscending() const noexcept { return Items; }

 private:
  std::vector<TFileTypeData> Items;
  TMeasure Key;
};

}  // namespace Vellumetric
