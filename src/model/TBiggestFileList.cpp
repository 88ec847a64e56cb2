#include "model/TBiggestFileList.h"

namespace Vellumetric {

void TBiggestFileList::Offer(const TFileTypeData& file) {
  if (Items.empty()) {
    Items.push_back(file);
    return;
  }
  const std::uint64_t key = file.Bytes(Key);
  if (key <= Items.front().Bytes(Key)) {
    if (Items.size() >= Capacity) return;
    Items.insert(Items.begin(), file);
  } else {
    // Directly after the last element strictly smaller: before any element of equal size.
    std::size_t pos = Items.size();
    while (pos > 0 && Items[pos - 1].Bytes(Key) >= key) --pos;
    Items.insert(Items.begin() + static_cast<std::ptrdiff_t>(pos), file);
  }
  if (Items.size() > Capacity) Items.erase(Items.begin());
}

}  // namespace Vellumetric
