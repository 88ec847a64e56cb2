#include "duplicates/TFileNames.h"

#include <algorithm>

namespace Vellumetric {

void TFileNames::Add(TFileId otherName, TFileId file) {
  Standing[otherName] = file;
  std::uint64_t& most = Largest[file];
  most = std::max(most, RecordDiskBytes(Files, otherName));
}

std::uint64_t TFileNames::DiskBytes(TFileId file) const {
  const std::uint64_t own = RecordDiskBytes(Files, file);
  const auto it = Largest.find(file);
  return it == Largest.end() ? own : std::max(own, it->second);
}

std::uint64_t TFileNames::RecordDiskBytes(const TFileRecordStore& files, TFileId name) {
  return files.DiskSize(name);
}

}  // namespace Vellumetric
