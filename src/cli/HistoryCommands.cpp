#include "cli/HistoryCommands.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "cli/HistoryReport.h"
#include "history/ScanComparison.h"
#include "history/THistoryDatabase.h"
#include "history/TScanDiff.h"
#include "system/NativePlatform.h"
#include "system/SystemFolders.h"

namespace Vellumetric {
namespace {

void Warn(const std::string& line) {
  if (!line.empty()) std::fprintf(stderr, "vellumetric-cli: %s\n", line.c_str());
}

void WriteAll(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

bool ParseCount(const std::string& text, long long low, long long high, long long& value) {
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && value >= low && value <= high;
}

// The history of the data folder, for the history and diff commands; a failure is printed.
std::unique_ptr<THistoryDatabase> OpenHistory(bool forWriting) {
  TCliContext context;
  PrepareCliContext(context);
  if (!context.HasDataFolder) return nullptr;
  auto db = std::make_unique<THistoryDatabase>(
      JoinNativePath(context.Info.DataFolder(), THistoryDatabase::FileName));
  const bool opened = forWriting ? db->Open() : db->OpenForReading();
  Warn(db->Notice());
  if (!opened) {
    Warn(std::string(forWriting ? "cannot change" : "cannot read") +
         " the scan history: " + db->Error());
    return nullptr;
  }
  return db;
}

}  // namespace

std::string ParseHistoryArgs(const std::vector<std::string>& args, THistoryArgs& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    long long keep = 0;
    if (a == "--json") {
      out.Json = true;
    } else if (a == "--keep") {
      if (i + 1 >= args.size() || !ParseCount(args[++i], 1, 100000, keep)) {
        return "--keep needs a whole number from 1 to 100000";
      }
      out.Keep = static_cast<int>(keep);
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return "unknown option " + a;
    } else if (out.Path.empty()) {
      out.Path = a;
    } else {
      return "history takes at most one PATH";
    }
  }
  if (out.Keep > 0 && (out.Json || !out.Path.empty())) {
    return "--keep applies to every folder and takes no PATH or --json";
  }
  return {};
}

std::string ParseDiffArgs(const std::vector<std::string>& args, TDiffArgs& out) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    long long top = 0;
    if (a == "--json") {
      out.Json = true;
    } else if (a == "--top") {
      if (i + 1 >= args.size() || !ParseCount(args[++i], 0, 1000000, top)) {
        return "--top needs a whole number";
      }
      out.Top = static_cast<std::size_t>(top);
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return "unknown option " + a;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() == 1) out.Path = positional[0];
  if (positional.size() == 2) {
    long long from = 0;
    long long to = 0;
    if (!ParseCount(positional[0], 1, INT64_MAX, from) ||
        !ParseCount(positional[1], 1, INT64_MAX, to)) {
      return "diff takes a PATH or two scan ids";
    }
    out.FromId = from;
    out.ToId = to;
  }
  if (positional.size() > 2) return "diff takes a PATH or two scan ids";
  return {};
}

int RunHistoryCommand(const THistoryArgs& args) {
  const auto db = OpenHistory(args.Keep > 0);
  if (!db) return 1;
  if (args.Keep > 0) {
    int removed = 0;
    if (!db->SetKeep(args.Keep, removed)) {
      Warn("cannot change the scan history: " + db->Error());
      return 1;
    }
    std::printf("keeping the newest %d scans of each folder; %d older scans removed\n", args.Keep,
                removed);
    return 0;
  }
  std::vector<TScanSnapshot> scans;
  const std::string root = args.Path.empty() ? std::string() : NormalizeScanRoot(args.Path);
  if (!db->ListScans(root, scans)) {
    Warn("cannot read the scan history: " + db->Error());
    return 1;
  }
  // A root imported under a name ("nas01:/srv") is no path here: found as written.
  if (scans.empty() && !args.Path.empty() && root != args.Path &&
      !db->ListScans(args.Path, scans)) {
    Warn("cannot read the scan history: " + db->Error());
    return 1;
  }
  WriteAll(args.Json ? HistoryJson(scans) : HistoryText(scans, root));
  return 0;
}

int RunDiffCommand(const TDiffArgs& args) {
  const auto db = OpenHistory(false);
  if (!db) return 1;
  TScanSnapshot from;
  TScanSnapshot to;
  std::string error;
  const std::string root = args.Path.empty() ? std::string() : NormalizeScanRoot(args.Path);
  if (!LoadScansToCompare(*db, root, args.FromId, args.ToId, from, to, error)) {
    // A root imported under a name ("nas01:/srv") is no path here: tried as written.
    std::string asWritten;
    if (args.Path.empty() || root == args.Path ||
        !LoadScansToCompare(*db, args.Path, args.FromId, args.ToId, from, to, asWritten)) {
      Warn(error);
      return 1;
    }
  }
  const TScanDiff diff = DiffScans(from, to, args.Top, NativePathStyle());
  WriteAll(args.Json ? DiffJson(from, to, diff) : DiffText(from, to, diff));
  return 0;
}

std::unique_ptr<TScanHistoryRecorder> RecordScanInHistory(
    const TCliContext& context, const TFolderTree& tree, const std::string& path, bool asDrive,
    std::int64_t started, std::int64_t finished, bool timings, bool rootAsGiven) {
  if (!context.HasDataFolder) return nullptr;
  const auto start = std::chrono::steady_clock::now();
  auto recorder = std::make_unique<TScanHistoryRecorder>(
      JoinNativePath(context.Info.DataFolder(), THistoryDatabase::FileName));
  TScanSnapshot snapshot = MakeScanSnapshot(tree, path, asDrive, started, finished);
  if (rootAsGiven) snapshot.Root = path;
  recorder->Record(std::move(snapshot));
  if (timings) {
    std::fprintf(stderr, "history snapshot: %.3f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return recorder;
}

void FinishHistoryRecording(std::unique_ptr<TScanHistoryRecorder> recorder, bool timings) {
  if (!recorder) return;
  recorder->WaitIdle();
  for (const std::string& line : recorder->TakeWarnings()) Warn(line);
  if (timings) std::fprintf(stderr, "history write: %.3f s\n", recorder->LastWriteSeconds());
}

}  // namespace Vellumetric
