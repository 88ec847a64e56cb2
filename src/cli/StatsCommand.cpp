#include "cli/StatsCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/FindCommand.h"
#include "cli/ScanCommand.h"
#include "cli/SummaryCommands.h"
#include "cli/TCliSession.h"
#include "export/StatisticsTables.h"
#include "history/TScanSnapshot.h"
#include "statistics/FileStatistics.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

void WriteAll(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

// One line of a table: its label, then files, size and on disk lined up under the heading.
std::string Row(std::string label, const std::string& files, const std::string& size,
                const std::string& disk) {
  label.resize(std::max<std::size_t>(label.size(), 20), ' ');
  return label + Padded(files, 10) + Padded(size, 13) + Padded(disk, 13) + "\n";
}

std::string Row(const std::string& label, const TStatCell& cell) {
  return Row("  " + label, std::to_string(cell.Count), Trimmed(FormatSize(cell.Bytes, 2)),
             Trimmed(FormatSize(cell.DiskBytes, 2)));
}

std::string PeriodText(const TAgePeriod& p) {
  std::string name = std::to_string(p.Year);
  if (p.Month != 0) name += (p.Month < 10 ? "-0" : "-") + std::to_string(p.Month);
  return name;
}

void AppendAges(std::string& out, const std::string& title, const TAgeTable& table) {
  out += "\n" + Row(title + " by year", "files", "size", "on disk");
  for (const TAgePeriod& p : table.Years) out += Row(PeriodText(p), p.Files);
  if (table.NoTime.Count > 0) out += Row("unknown", table.NoTime);
  out += title + " by month (the months with files)\n";
  for (const TAgePeriod& p : table.Months) {
    if (p.Files.Count > 0) out += Row(PeriodText(p), p.Files);
  }
}

std::string TextReport(const TFileStatistics& stats, const std::string& root) {
  std::string out = root + ": " + std::to_string(stats.Total.Count) +
                    (stats.Total.Count == 1 ? " file, " : " files, ") +
                    Trimmed(FormatSize(stats.Total.Bytes, 2)) + " (" +
                    std::to_string(stats.Total.Bytes) + " bytes)\n\n";
  out += Row("File size", "files", "size", "on disk");
  for (const TSizeBucket& b : stats.SizeBuckets) out += Row(BucketText(b), b.Files);
  if (stats.Total.Count > 0) {
    out += "\nPercentiles of the file count (nearest rank)\n";
    for (std::size_t i = 0; i < PercentileRanks.size(); ++i) {
      out += "  " + Padded("P" + std::to_string(PercentileRanks[i]), 4) + "  " +
             Padded(Trimmed(FormatSize(stats.Percentiles[i], 2)), 10) + "  (" +
             std::to_string(stats.Percentiles[i]) + " bytes)\n";
    }
  }
  AppendAges(out, "Last access", stats.Access);
  AppendAges(out, "Last change", stats.Change);
  return out;
}

}  // namespace

std::string ParseStatsArgs(const std::vector<std::string>& args, TStatsArgs& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--json") {
      out.Json = true;
    } else if (a == "--csv") {
      out.Csv = true;
    } else if (a == "--drive") {
      out.Drive = true;
    } else if (a == "--timings") {
      out.Timings = true;
    } else if (a == "--group") {
      if (!hasValue || args[i + 1].empty()) return "--group needs a NAME";
      out.GroupName = args[++i];
    } else if (a == "--threads") {
      long threads = 0;
      if (!hasValue || !ParseWholeNumber(args[++i], 1, 64, threads)) {
        return "--threads needs a whole number from 1 to 64";
      }
      out.Threads = static_cast<int>(threads);
    } else if (std::string problem = TakePathWord(a, out.Path); !problem.empty()) {
      return problem;
    }
  }
  if (out.Path.empty()) return "stats needs a PATH";
  if (out.Json && out.Csv) return "--json and --csv exclude each other";
  return {};
}

int RunStatsCommand(const TStatsArgs& args) {
  TCliContext context;
  PrepareCliContext(context);
  TStatisticsQuery query;
  if (args.GroupName.size() > 1 && args.GroupName.front() == '.') {
    query.Extension = args.GroupName;
  } else if (!args.GroupName.empty() &&
             !ResolveGroup(args.GroupName, context.Groups, query.Group)) {
    return 2;
  }
  if (!CheckScanRoot(args.Path)) return 1;
  TCliSession session(context.Groups, context.Extensions, StderrIsTerminal());
  auto start = std::chrono::steady_clock::now();
  session.Scan(args.Path, args.Drive, args.Threads);
  if (args.Timings) std::fprintf(stderr, "scan: %.3f s\n", Seconds(start));
  if (!ScannedRootWasRead(session, args.Path)) return 1;
  start = std::chrono::steady_clock::now();
  query.Now = SecondsSinceEpoch();
  const TLocalCalendar calendar(LocalUtcOffset);
  const TFileStatistics stats =
      ComputeFileStatistics(session.FileRecords(), query, calendar, session.Style());
  if (args.Timings) std::fprintf(stderr, "statistics: %.3f s\n", Seconds(start));
  const TNodeId root = session.Tree().FirstChild(NoNode);
  const std::string rootPath = root == NoNode ? args.Path : session.Tree().Data(root).Path.Str();
  if (args.Json || args.Csv) {
    TExportOptions options;
    options.Format = args.Json ? TExportFormat::Json : TExportFormat::Csv;
    options.Style = session.Style();
    WriteAll(ExportStatistics(stats, rootPath, TStatisticsPart::Both, options));
  } else {
    WriteAll(TextReport(stats, rootPath));
  }
  WarnUnreadable(session.Unreadable());
  return 0;
}

}  // namespace Vellumetric
