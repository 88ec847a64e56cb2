#pragma once

#include <cstdint>

#include "model/TFileRecordStore.h"

namespace Vellumetric {

// One file of the scan that a file-extension group claims. Its name, folder and size are its
// file record's; only what the record does not keep exactly is held here: the group id as the
// group list has it (any 32-bit id) and the last access as a raw file time (100 ns units since
// 1601), both as the summary shows and saves them.
struct TTypedFile {
  TFileId File = NoFile;
  std::int32_t GroupID = 0;
  std::uint64_t LastAccess = 0;
};

}  // namespace Vellumetric
