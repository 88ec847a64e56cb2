#pragma once

#include <string>
#include <vector>

#include "find/TFileQuery.h"
#include "model/TFileExtDescData.h"

namespace Vellumetric {

struct TFindArgs {
  std::string Path;
  TFileQuery Query;       // all but the group, which needs the group list, and the clock
  std::string GroupName;  // --group NAME
  bool Json = false;
  bool Csv = false;
  bool Drive = false;
  bool Timings = false;  // --timings: scan and query times on stderr
  int Threads = 0;
};

// The id of the group `name` names ("Video Files", "video files", "video"); when none does, says
// so on stderr with the names of the groups, and answers false.
[[nodiscard]] bool ResolveGroup(const std::string& name, const TFileExtDescList& groups,
                                std::int32_t& id);

// Returns an empty text when the arguments are fine, else what is wrong with them.
[[nodiscard]] std::string ParseFindArgs(const std::vector<std::string>& args, TFindArgs& out);
// Scans PATH (keeping no history: a query is not a new look at the disk's growth), then lists
// the files the query matches, largest first.
int RunFindCommand(TFindArgs args);

}  // namespace Vellumetric
