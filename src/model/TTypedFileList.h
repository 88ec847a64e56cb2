#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>

#include "model/TFileRecordStore.h"
#include "model/TTypedFile.h"

namespace Vellumetric {

// The typed files of a scan in the order the walk met them, until the summary takes them over.
// A large disk has hundreds of thousands, all held at once at the end of a scan, so each is kept
// as 8 bytes: its record id and the part of its last access below a second. Its group and the
// seconds of its time are read back from its record. A file its record cannot give back exactly
// (a group id past 16 bits, a time before 1970 or after 2106) is kept whole, aside.
// A deque rather than a vector: it never holds an old and a new copy at once while it grows.
class TTypedFileList {
 public:
  void Add(const TFileRecordStore& records, const TTypedFile& file);
  // The `index`th file not yet taken, read with the store it was added with.
  [[nodiscard]] TTypedFile At(const TFileRecordStore& records, std::size_t index) const;
  [[nodiscard]] TTypedFile Front(const TFileRecordStore& records) const { return At(records, 0); }
  void PopFront();
  void Clear();
  [[nodiscard]] std::size_t Count() const noexcept { return Entries.size(); }
  [[nodiscard]] bool Empty() const noexcept { return Entries.empty(); }

 private:
  struct TEntry {
    TFileId File;
    std::uint32_t BelowSecond;  // KeptAside: the whole file is in Aside
  };
  static constexpr std::uint32_t KeptAside = 0xFFFFFFFFu;

  std::deque<TEntry> Entries;
  // By position since the list was cleared, which stays the same while the front is taken.
  std::unordered_map<std::uint64_t, TTypedFile> Aside;
  std::uint64_t Taken = 0;
};

}  // namespace Vellumetric
