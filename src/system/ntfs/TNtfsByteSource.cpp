#include "system/ntfs/TNtfsByteSource.h"

#include <cstring>

namespace Vellumetric {

bool TNtfsMemorySource::ReadAt(std::uint64_t offset, void* buffer, std::size_t size,
                               std::string& error) {
  if (offset > Bytes.size() || size > Bytes.size() - offset) {
    error = "read past the end";
    return false;
  }
  std::memcpy(buffer, Bytes.data() + offset, size);
  return true;
}

}  // namespace Vellumetric
