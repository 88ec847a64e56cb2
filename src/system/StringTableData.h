#pragma once

#include <cstddef>

namespace Vellumetric {

struct TStringTableEntry {
  int Id;
  const char* Text;
};

// Generated at build time from resources/strings.tsv.
extern const TStringTableEntry kStringTable[];
extern const std::size_t kStringTableSize;

}  // namespace Vellumetric
