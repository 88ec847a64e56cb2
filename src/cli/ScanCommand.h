#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exclude/TExclusionRule.h"
#include "model/TMeasure.h"

namespace Vellumetric {

struct TScanArgs {
  std::string Path;
  bool Drive = false;
  bool Json = false;
  bool Csv = false;  // --csv: the folder tree as CSV, all depths unless --depth
  bool Quiet = false;
  int Depth = -1;
  std::string SaveName;  // --save NAME
  bool Save = false;
  bool Force = false;    // --force: replace an existing summary file
  bool Timings = false;  // --timings: scan and summary times on stderr
  int Threads = 0;       // --threads N: listing threads, 0 for the engine's choice

  // --no-history: leave this scan out of the scan history
  bool NoHistory = false;
  // --ntfs FILE_OR_DEVICE: Path is an NTFS image or partition, read through its MFT
  bool Ntfs = false;
  // --engine auto|mft|listing, for a drive or an NTFS image
  std::string Engine;
  // --measure size|disk: what orders the tree and the biggest files and what shares are of
  TMeasure Measure = TMeasure::Size;
  // --exclude GLOB, --exclude-from FILE, --exclude-caches: folders left out, in order given
  TExclusionRuleList Exclusions;
  bool StoredRules = false;  // --rules: the window's rules as well
  // --export-ncdu FILE: an ncdu export of the scan ("-": standard output, then no report)
  std::string ExportNcdu;
  // --history-only: the scan goes into the history; nothing is printed
  bool HistoryOnly = false;
};

// "size" or "disk" as the measure; false for anything else.
[[nodiscard]] bool ParseMeasure(const std::string& text, TMeasure& measure);

// Returns an empty text when the arguments are fine, else what is wrong with them.
[[nodiscard]] std::string ParseScanArgs(const std::vector<std::string>& args, TScanArgs& out);
int RunScanCommand(const TScanArgs& args);

class TCliSession;
struct TCliContext;
// After a scan (or a scan read from a file): the history, the summary and the report as the
// arguments ask. `finished`: the walk ran to its end.
int ReportScan(const TCliContext& context, TCliSession& session, const TScanArgs& args,
               bool finished, std::int64_t startedAt);

class TCliSession;
class TUnreadableList;

// Whether `path` is a folder a scan can start from; when not, says why on stderr.
[[nodiscard]] bool CheckScanRoot(const std::string& path);
// After a scan: whether its root could be read at all; when not, says why on stderr (an empty
// report would pass for an empty folder).
[[nodiscard]] bool ScannedRootWasRead(TCliSession& session, const std::string& path);
// The lines on stderr about what could not be read, after the report.
void WarnUnreadable(const TUnreadableList& unreadable);
[[nodiscard]] bool ParseWholeNumber(const std::string& text, long low, long high, long& value);
// The words of a command line that are not its options: an unknown option is an error, the first
// other word is the PATH and a second one an error. Empty when `word` was taken as the PATH.
[[nodiscard]] std::string TakePathWord(const std::string& word, std::string& path);

}  // namespace Vellumetric
