#pragma once

#include <string>
#include <vector>

namespace Vellumetric {

struct TStatsArgs {
  std::string Path;
  // --group NAME: a file-type group ("Video Files", "video"), or an extension with its dot
  // (".so", which takes "libc.so.6" too).
  std::string GroupName;
  bool Json = false;
  bool Csv = false;
  bool Drive = false;
  bool Timings = false;  // --timings: scan and statistics times on stderr
  int Threads = 0;
};

// Returns an empty text when the arguments are fine, else what is wrong with them.
[[nodiscard]] std::string ParseStatsArgs(const std::vector<std::string>& args, TStatsArgs& out);
// Scans PATH (keeping no history, as find does), then prints how the files' sizes spread and in
// which years they were last accessed and last changed.
int RunStatsCommand(const TStatsArgs& args);

}  // namespace Vellumetric
