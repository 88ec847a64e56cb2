#include "cli/FindCommand.h"

#include <chrono>
#include <cstdio>

#include "cli/ScanCommand.h"
#include "cli/SummaryCommands.h"
#include "cli/TCliSession.h"
#include "export/ExportTables.h"
#include "find/SizeText.h"
#include "history/TScanSnapshot.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

void WriteAll(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// "Video Files" answers to "video files" and to "video".
bool NamesGroup(const std::string& given, const std::string& desc) {
  if (EqualsIgnoreAsciiCase(given, desc)) return true;
  constexpr std::string_view kSuffix = " Files";
  return desc.size() > kSuffix.size() && desc.ends_with(kSuffix) &&
         EqualsIgnoreAsciiCase(given,
                               std::string_view(desc).substr(0, desc.size() - kSuffix.size()));
}

// "2024-05-01 12:34" in local time, or a dash when the system gave no time.
std::string AccessText(std::int64_t unixSeconds) {
  if (unixSeconds == TFileRecordStore::NoAccessTime) return "-               ";
  const std::string iso = FormatIso8601(unixSeconds, LocalUtcOffset(unixSeconds));
  return iso.substr(0, 10) + " " + iso.substr(11, 5);
}

std::string TextList(const TFindResult& found, TCliSession& session) {
  const TFileRecordStore& files = session.FileRecords();
  std::string out;
  for (const TFoundFile& f : found.Files) {
    out += FormatSize(f.Size, 1) + "  " + FormatSize(f.DiskSize, 1) + "  " +
           AccessText(files.LastAccess(f.Id)) + "  " +
           FoundFilePath(files, session.Tree(), session.Style(), f.Id) + "\n";
  }
  std::string total = FormatSize(found.Bytes, 2);
  total.erase(0, total.find_first_not_of(' '));
  std::string disk = FormatSize(found.DiskBytes, 2);
  disk.erase(0, disk.find_first_not_of(' '));
  out += "\n" + std::to_string(found.Count) + (found.Count == 1 ? " file, " : " files, ") + total +
         " (" + std::to_string(found.Bytes) + " bytes), " + disk + " on disk";
  if (found.Files.size() < found.Count) {
    out += "; the largest " + std::to_string(found.Files.size()) + " shown";
  }
  return out + "\n";
}

std::string ParseValue(const std::string& option, const std::string& value, TFileQuery& q) {
  std::string error;
  long number = 0;
  if (option == "--name") {
    q.Name = value;
  } else if (option == "--min") {
    if (!ParseSizeBound(value, TSizeBound::Minimum, q.MinSize, error)) return "--min: " + error;
  } else if (option == "--max") {
    if (!ParseSizeBound(value, TSizeBound::Maximum, q.MaxSize, error)) return "--max: " + error;
  } else if (option == "--older-than") {
    if (!ParseWholeNumber(value, 0, 1000000, number)) return "--older-than needs whole DAYS";
    q.OlderThanDays = static_cast<std::int32_t>(number);
  } else if (option == "--top") {
    if (!ParseWholeNumber(value, 1, 1000000000, number)) return "--top needs a whole number";
    q.Top = static_cast<std::size_t>(number);
  }
  return {};
}

}  // namespace

bool ResolveGroup(const std::string& name, const TFileExtDescList& groups, std::int32_t& id) {
  for (const TFileExtDescData& g : groups) {
    if (NamesGroup(name, g.Desc)) {
      id = g.ID;
      return true;
    }
  }
  std::string known;
  for (const TFileExtDescData& g : groups) known += "\n  " + g.Desc;
  std::fprintf(stderr, "vellumetric-cli: unknown group \"%s\"; the groups are:%s\n", name.c_str(),
               known.c_str());
  return false;
}

std::string ParseFindArgs(const std::vector<std::string>& args, TFindArgs& out) {
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
    } else if (a == "--on-disk") {
      out.Query.Measure = TMeasure::Disk;
    } else if (a == "--name" || a == "--min" || a == "--max" || a == "--older-than" ||
               a == "--top") {
      if (!hasValue) return a + " needs a value";
      const std::string problem = ParseValue(a, args[++i], out.Query);
      if (!problem.empty()) return problem;
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
  if (out.Path.empty()) return "find needs a PATH";
  if (out.Json && out.Csv) return "--json and --csv exclude each other";
  if (out.Query.MinSize > out.Query.MaxSize) return "--min is larger than --max: nothing can match";
  return {};
}

int RunFindCommand(TFindArgs args) {
  TCliContext context;
  PrepareCliContext(context);
  if (!args.GroupName.empty() && !ResolveGroup(args.GroupName, context.Groups, args.Query.Group)) {
    return 2;
  }
  if (!CheckScanRoot(args.Path)) return 1;
  TCliSession session(context.Groups, context.Extensions, StderrIsTerminal());
  auto start = std::chrono::steady_clock::now();
  session.Scan(args.Path, args.Drive, args.Threads);
  if (args.Timings) std::fprintf(stderr, "scan: %.3f s\n", Seconds(start));
  if (!ScannedRootWasRead(session, args.Path)) return 1;
  args.Query.Now = SecondsSinceEpoch();
  start = std::chrono::steady_clock::now();
  const TFindResult found =
      FindFiles(session.FileRecords(), session.Tree(), session.Style(), args.Query);
  if (args.Timings) std::fprintf(stderr, "query: %.3f s\n", Seconds(start));
  if (args.Json || args.Csv) {
    TExportOptions options;
    options.Format = args.Json ? TExportFormat::Json : TExportFormat::Csv;
    options.Style = session.Style();
    const TNodeId root = session.Tree().FirstChild(NoNode);
    const std::string rootPath = root == NoNode ? args.Path : session.Tree().Data(root).Path.Str();
    WriteAll(ExportFoundFiles(found, session.FileRecords(), session.Tree(), context.Groups,
                              rootPath, options));
  } else {
    WriteAll(TextList(found, session));
  }
  WarnUnreadable(session.Unreadable());
  return 0;
}

}  // namespace Vellumetric
