#include "scan/THardLinkRegistry.h"

namespace Vellumetric {

THardLinkRegistry::TClaim THardLinkRegistry::Claim(const TFileIdentity& identity, TFileId file) {
  const std::uint64_t record = identity.File & RecordMask;
  // Past 2^28 records the table of pages alone would pass 8 MB: no NTFS volume holds that many
  // files, but a driver that calls itself NTFS may number files otherwise. Those are hashed.
  if (identity.Dense && (record >> DenseRecordBits) == 0) return ClaimDense(identity, file);
  return ClaimHashed({identity.Volume, identity.File}, file);
}

THardLinkRegistry::TClaim THardLinkRegistry::ClaimDense(const TFileIdentity& identity,
                                                        TFileId file) {
  const std::uint64_t record = identity.File & RecordMask;
  TPages& pages = Dense[identity.Volume];
  const std::size_t page = static_cast<std::size_t>(record >> PageBits);
  if (page >= pages.size()) pages.resize(page + 1);
  if (!pages[page]) pages[page] = std::make_unique<std::uint32_t[]>(std::size_t{1} << PageBits);
  std::uint32_t& slot = pages[page][record & ((std::uint64_t{1} << PageBits) - 1)];
  if (slot == 0) {
    slot = file == NoFile ? NoFile : file + 1;
    return {true, file, 1};
  }
  // Met before: the rare case, counted in the hash map, which also remembers the first file.
  const TFileId first = slot == NoFile ? NoFile : slot - 1;
  auto [it, added] = Hashed.try_emplace({identity.Volume, identity.File}, TSeen{first, 1});
  ++it->second.Names;
  return {false, it->second.First, it->second.Names};
}

THardLinkRegistry::TClaim THardLinkRegistry::ClaimHashed(const TKey& key, TFileId file) {
  auto [it, added] = Hashed.try_emplace(key, TSeen{file, 1});
  if (added) return {true, file, 1};
  ++it->second.Names;
  return {false, it->second.First, it->second.Names};
}

void THardLinkRegistry::Clear() {
  Hashed.clear();
  Dense.clear();
}

}  // namespace Vellumetric
