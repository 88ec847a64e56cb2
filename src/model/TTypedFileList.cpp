#include "model/TTypedFileList.h"

namespace Vellumetric {
namespace {

constexpr std::uint64_t TicksPerSecond = 10000000;  // of a raw file time

}  // namespace

void TTypedFileList::Add(const TFileRecordStore& records, const TTypedFile& file) {
  const auto belowSecond = static_cast<std::uint32_t>(file.LastAccess % TicksPerSecond);
  if (file.File < records.Count() && records.Group(file.File) == file.GroupID &&
      records.FileTime(file.File, belowSecond) == file.LastAccess) {
    Entries.push_back({file.File, belowSecond});
    return;
  }
  Aside.emplace(Taken + Entries.size(), file);
  Entries.push_back({file.File, KeptAside});
}

TTypedFile TTypedFileList::At(const TFileRecordStore& records, std::size_t index) const {
  const TEntry& entry = Entries[index];
  if (entry.BelowSecond == KeptAside) return Aside.at(Taken + index);
  return {entry.File, records.Group(entry.File), records.FileTime(entry.File, entry.BelowSecond)};
}

void TTypedFileList::PopFront() {
  if (Entries.front().BelowSecond == KeptAside) Aside.erase(Taken);
  Entries.pop_front();
  ++Taken;
}

void TTypedFileList::Clear() {
  std::deque<TEntry>().swap(Entries);
  Aside.clear();
  Taken = 0;
}

}  // namespace Vellumetric
