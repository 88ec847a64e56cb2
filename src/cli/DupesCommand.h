#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "duplicates/TDuplicateOptions.h"

namespace Vellumetric {

struct TDupesArgs {
  std::string Path;
  TDuplicateOptions Options;
  std::size_t Top = 0;  // groups to list; 0 lists them all
  bool Json = false;
  bool Csv = false;
  bool Drive = false;
  bool Timings = false;  // --timings: scan and search times on stderr
  int Threads = 0;       // --threads N: listing threads of the scan
};

// Returns an empty text when the arguments are fine, else what is wrong with them.
[[nodiscard]] std::string ParseDupesArgs(const std::vector<std::string>& args, TDupesArgs& out);
// Scans PATH (keeping no history), then lists the groups of copies, most wasted space first, and
// a total line. Reads files, never changes one.
int RunDupesCommand(const TDupesArgs& args);

}  // namespace Vellumetric
