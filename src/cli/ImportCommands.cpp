#include "cli/ImportCommands.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "cli/HistoryCommands.h"
#include "cli/ScanCommand.h"
#include "cli/SummaryCommands.h"
#include "cli/TCliSession.h"
#include "exchange/TBorrowedLister.h"
#include "exchange/TNcduLister.h"
#include "filetypes/DefaultFileTypes.h"
#include "history/TScanSnapshot.h"

namespace Vellumetric {
namespace {

// Reads the export into `session`; false, with the reason on stderr, when it cannot be read
// whole: a scan read in part would pass for a smaller disk.
bool ReadScanFile(const std::string& file, TCliSession& session, TNcduHeader& header) {
  TNcduLister reader;
  std::string error;
  if (!reader.Open(file, error)) {
    std::fprintf(stderr, "cannot open %s: %s\n", file.c_str(), error.c_str());
    return false;
  }
  header = reader.Header();
  const bool finished =
      session.Scan(header.Root, false, 1, std::make_unique<TBorrowedLister>(reader));
  if (!finished || reader.Failed()) {
    std::fprintf(stderr, "cannot open %s: %s\n", file.c_str(), reader.Error().c_str());
    return false;
  }
  return true;
}

}  // namespace

int RunOpenScanFile(const std::string& file, const std::vector<std::string>& options) {
  TScanArgs args;
  std::vector<std::string> all = options;
  all.insert(all.begin(), file);
  const std::string problem = ParseScanArgs(all, args);
  if (!problem.empty()) {
    std::fprintf(stderr, "vellumetric-cli: %s\n", problem.c_str());
    return 2;
  }
  if (args.Save || args.HistoryOnly || !args.ExportNcdu.empty() || args.Drive) {
    std::fprintf(stderr,
                 "vellumetric-cli: open takes only --json, --csv, --quiet, --depth "
                 "and --measure for a scan file\n");
    return 2;
  }
  TCliContext context;
  if (args.Quiet) {
    context.Groups = DefaultGroupList();
    context.Extensions = DefaultExtensionList();
  } else {
    PrepareCliContext(context);
  }
  TCliSession session(context.Groups, context.Extensions, false);
  session.SetKeepFileRecords(!args.Quiet && !args.Csv);
  TNcduHeader header;
  const auto start = std::chrono::steady_clock::now();
  if (!ReadScanFile(file, session, header)) return 1;
  if (args.Timings) {
    std::fprintf(stderr, "scan: %.3f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  args.Path = header.Root;
  args.NoHistory = true;  // opening a file only shows it; `history import` records it
  return ReportScan(context, session, args, true, header.Timestamp);
}

int RunHistoryImport(const std::vector<std::string>& args) {
  std::string file;
  std::string name;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--as") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        std::fprintf(stderr, "vellumetric-cli: --as needs a NAME\n");
        return 2;
      }
      name = args[++i];
    } else if (file.empty() && !(args[i].size() > 2 && args[i].compare(0, 2, "--") == 0)) {
      file = args[i];
    } else {
      std::fprintf(stderr, "vellumetric-cli: history import takes FILE and optionally --as NAME\n");
      return 2;
    }
  }
  if (file.empty()) {
    std::fprintf(stderr, "vellumetric-cli: history import needs a FILE\n");
    return 2;
  }
  TCliContext context;
  PrepareCliContext(context);
  if (!context.HasDataFolder) {
    std::fprintf(stderr, "cannot import: the data folder is not available\n");
    return 1;
  }
  TCliSession session(context.Groups, context.Extensions, false);
  session.SetKeepFileRecords(false);
  TNcduHeader header;
  if (!ReadScanFile(file, session, header)) return 1;
  const std::string root = name.empty() ? header.Root : name;
  const std::int64_t when = header.Timestamp > 0 ? header.Timestamp : SecondsSinceEpoch();
  auto recorder = RecordScanInHistory(context, session.Tree(), root, false, when, when, false,
                                      /*rootAsGiven=*/!name.empty());
  const TFolderData& top = session.Tree().Data(session.Tree().FirstChild(NoNode));
  FinishHistoryRecording(std::move(recorder), false);
  std::printf("added %s to the scan history: %llu bytes, %u files, %u folders\n", root.c_str(),
              static_cast<unsigned long long>(top.Size), top.FileCount, top.FolderCount);
  return 0;
}

}  // namespace Vellumetric
