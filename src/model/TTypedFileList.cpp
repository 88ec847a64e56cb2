#include "model/TTypedFileList.h"

namespace Vellumetric {
void TTypedFileList::Add(const TFileRecordStore& records, const TTypedFile& file) {
  if (file.File < records.Count() && records.Group(file.File) == file.GroupID &&
      records.GivesBackTime(file.File, file.LastAccess)) {
    Entries.push_back({file.File, TFileRecordStore::BelowSecond(file.LastAccess)});
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
