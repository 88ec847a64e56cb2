// libFuzzer target for the ncdu export reader: whatever the bytes (plain, or behind a gzip or
// zstd header), reading must neither crash nor hang, a walk over it must end, and a read that
// did not fail must have ended at the root with every folder closed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "exchange/TNcduLister.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Vellumetric::TNcduLister lister;
  std::string error;
  if (!lister.OpenBytes(std::string(reinterpret_cast<const char*>(data), size), error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  // The walk as the scan does it, without the scan: enter every folder Next returns.
  if (!lister.EnterRoot("", false)) __builtin_trap();
  std::size_t depth = 1;
  std::size_t entries = 0;
  Vellumetric::TDirEntry entry;
  while (depth > 0) {
    if (lister.Next(entry)) {
      ++entries;
      if (entry.Name.empty() || entry.Name == "." || entry.Name == "..") __builtin_trap();
      if (entry.IsDirectory && lister.EnterChild(entry.Name, {})) ++depth;
      continue;
    }
    lister.Leave();
    --depth;
  }
  if (lister.Failed() == lister.Error().empty()) __builtin_trap();
  return entries > size ? 1 : 0;  // each entry takes at least one byte of the file
}
