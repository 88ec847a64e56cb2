#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/SummaryCommands.h"
#include "history/ScanComparison.h"
#include "history/TScanHistoryRecorder.h"
#include "model/TFolderData.h"

namespace Vellumetric {

struct THistoryArgs {
  std::string Path;  // only the scans of this root; every root when empty
  bool Json = false;
  int Keep = 0;  // --keep N: set the number of scans kept per root (0: not given)
};

struct TDiffArgs {
  std::string Path;  // PATH's root; the newest scan's root when empty and no ids are given
  std::int64_t FromId = 0;
  std::int64_t ToId = 0;  // both set when two scans are given by id
  std::size_t Top = DefaultChangeListLength;
  bool Json = false;
};

// Each returns an empty text when the arguments are fine, else what is wrong with them.
[[nodiscard]] std::string ParseHistoryArgs(const std::vector<std::string>& args, THistoryArgs& out);
[[nodiscard]] std::string ParseDiffArgs(const std::vector<std::string>& args, TDiffArgs& out);
int RunHistoryCommand(const THistoryArgs& args);
int RunDiffCommand(const TDiffArgs& args);

// The scan command's part: queues the finished scan for the history (written on the recorder's
// own thread while the report is made). Null when there is no data folder to keep it in.
// `rootAsGiven`: the root is a name ("nas01:/srv"), kept as written rather than made absolute.
[[nodiscard]] std::unique_ptr<TScanHistoryRecorder> RecordScanInHistory(
    const TCliContext& context, const TFolderTree& tree, const std::string& path, bool asDrive,
    std::int64_t started, std::int64_t finished, bool timings, bool rootAsGiven = false);
// Waits for the recorder, then prints its warnings (one line each) and, with --timings, its time.
void FinishHistoryRecording(std::unique_ptr<TScanHistoryRecorder> recorder, bool timings);

}  // namespace Vellumetric
