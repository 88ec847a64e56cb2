#pragma once

#include <string>
#include <vector>

namespace Vellumetric {

struct TScanArgs {
  std::string Path;
  bool Drive = false;
  bool Json = false;
  bool Quiet = false;
  int Depth = -1;
  std::string SaveName;  // --save NAME
  bool Save = false;
  bool Force = false;    // --force: replace an existing summary file
  bool Timings = false;  // --timings: scan and summary times on stderr
  int Threads = 0;       // --threads N: listing threads, 0 for the engine's choice

  // --no-history: leave this scan out of the scan history
  bool NoHistory = false;
};

// Returns an empty text when the arguments are fine, else what is wrong with them.
[[nodiscard]] std::string ParseScanArgs(const std::vector<std::string>& args, TScanArgs& out);
int RunScanCommand(const TScanArgs& args);

}  // namespace Vellumetric
