#include "cli/ScanCommand.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli/HistoryCommands.h"
#include "cli/ScanReport.h"
#include "cli/SummaryCommands.h"
#include "cli/TCliSession.h"
#include "exchange/TCompressedOutput.h"
#include "exchange/TNcduExportLister.h"
#include "exclude/ExclusionsFile.h"
#include "exclude/TExclusionRules.h"
#include "export/ExportTables.h"
#include "filetypes/DefaultFileTypes.h"
#include "history/TScanSnapshot.h"
#include "persistence/SummaryFile.h"
#include "persistence/SummaryNames.h"
#include "system/NativePlatform.h"
#include "system/ProductVersion.h"
#include "system/SystemFolders.h"
#include "system/TextEncoding.h"
#include "system/ntfs/NtfsVolumeSource.h"

namespace Vellumetric {
namespace {

bool ParseThreads(const std::string& text, int& threads) {
  long value = 0;
  if (!ParseWholeNumber(text, 1, 64, value)) return false;
  threads = static_cast<int>(value);
  return true;
}

bool ParseDepth(const std::string& text, int& depth) {
  long value = 0;
  if (!ParseWholeNumber(text, 0, 1000000, value)) return false;
  depth = static_cast<int>(value);
  return true;
}

// The walk reads the disk through a writer of the export; the root is named by its absolute
// path, as ncdu names it.
std::unique_ptr<TDirectoryLister> MakeExportLister(const std::string& path,
                                                   TCompressedOutput& out) {
  TNcduHeader header;
  header.ProgramName = "vellumetric";
  header.ProgramVersion = VellumetricVersion;
  header.Timestamp = SecondsSinceEpoch();
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(Utf8Path(path), ec);
  if (!ec) {
    const std::u8string text = absolute.lexically_normal().u8string();
    header.Root.assign(text.begin(), text.end());
    while (header.Root.size() > 1 && (header.Root.back() == '/' || header.Root.back() == '\\') &&
           header.Root[header.Root.size() - 2] != ':') {
      header.Root.pop_back();
    }
  }
  return std::make_unique<TNcduExportLister>(CreateDirectoryLister(), out, std::move(header));
}

void WriteAll(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Writes the summary as NAME.sbf into the Backup folder; the name must be a plain file name
// that Windows can keep too.
int SaveSummary(const TCliContext& context, const TCliSession& session, const TScanArgs& args) {
  if (const std::string problem = SaveNameProblem(args.SaveName); !problem.empty()) {
    std::fprintf(stderr, "cannot save: %s\n", problem.c_str());
    return 1;
  }
  if (!context.HasDataFolder) {
    std::fprintf(stderr, "cannot save: the data folder is not available\n");
    return 1;
  }
  const std::string folder = context.Info.BackupFolder();
  const std::string name = SummaryFileName(args.SaveName);
  const std::string path = JoinNativePath(folder, name);
  std::error_code ec;
  if (!args.Force && std::filesystem::exists(Utf8Path(path), ec)) {
    std::fprintf(stderr, "cannot save: %s exists (use --force to replace it)\n", path.c_str());
    return 1;
  }
  std::string error;
  if (!SaveSummaryFile(folder, name, args.Path, session.General(), session.Detail(), error)) {
    std::fprintf(stderr, "cannot save %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::fprintf(stderr, "saved %s\n", path.c_str());
  return 0;
}

// The three exclusion options of du and ncdu, and --rules for the window's stored ones.
std::string ParseExclusionArg(const std::vector<std::string>& args, std::size_t& i,
                              TScanArgs& out) {
  const std::string& a = args[i];
  const bool windows = NativePathStyle() == TPathStyle::Windows;
  if (a == "--exclude-caches") {
    out.Exclusions.push_back({TExclusionRule::TKind::Marker, std::string(CacheDirTagName)});
    return {};
  }
  if (a == "--rules") {
    out.StoredRules = true;
    return {};
  }
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    return a == "--exclude" ? "--exclude needs a GLOB" : "--exclude-from needs a FILE";
  }
  const std::string& value = args[++i];
  if (a == "--exclude") {
    out.Exclusions.push_back(RuleFromGlob(value, windows));
    return {};
  }
  std::string error;
  if (!LoadGlobList(value, windows, out.Exclusions, error)) return error;
  return {};
}

// The rules of the command line, after the window's stored ones when --rules was given.
bool ScanRules(const TCliContext& context, const TScanArgs& args,
               std::shared_ptr<const TExclusionRules>& rules) {
  TExclusionRuleList list;
  if (args.StoredRules) {
    std::string error;
    if (!context.HasDataFolder) {
      std::fprintf(stderr, "cannot read the stored rules: the data folder is not available\n");
      return false;
    }
    const std::string path = JoinNativePath(context.Info.DataFolder(), ExclusionsFileName);
    if (!LoadExclusions(path, list, error)) {
      std::fprintf(stderr, "cannot read the stored rules: %s\n", error.c_str());
      return false;
    }
  }
  list.insert(list.end(), args.Exclusions.begin(), args.Exclusions.end());
  if (!list.empty()) rules = std::make_shared<const TExclusionRules>(list, NativePathStyle());
  return true;
}

TScanEngineChoice EngineChoice(const TScanArgs& args) {
  if (args.Ntfs || args.Engine == "mft") return TScanEngineChoice::Mft;
  if (args.Engine == "listing" || !args.Drive) return TScanEngineChoice::Listing;
  if (args.Engine == "auto") return TScanEngineChoice::Auto;
  return DriveRootsAreRawVolumes() ? TScanEngineChoice::Auto : TScanEngineChoice::Listing;
}

// Says on stderr what the engine choice came to; false when only the MFT was allowed and it
// could not be read.
bool ReportEngine(const TScanArgs& args, TScanEngineChoice choice, const TScanEngineReport& r) {
  if (choice == TScanEngineChoice::Mft && !r.UsedMft) {
    std::fprintf(stderr, "cannot scan %s through its master file table: %s\n", args.Path.c_str(),
                 r.FallbackReason.c_str());
    return false;
  }
  if (!r.FallbackReason.empty()) {
    std::fprintf(stderr, "the master file table was not used (%s): folders were listed instead\n",
                 r.FallbackReason.c_str());
  }
  if (r.UsedMft && r.DamagedRecords > 0) {
    std::fprintf(stderr, "%llu damaged MFT records were skipped\n",
                 static_cast<unsigned long long>(r.DamagedRecords));
  }
  if (r.UsedMft && args.Timings) {
    std::fprintf(stderr,
                 "engine: master file table, %llu records in %llu extents, %llu bytes in memory\n",
                 static_cast<unsigned long long>(r.MftRecords),
                 static_cast<unsigned long long>(r.MftExtents),
                 static_cast<unsigned long long>(r.IndexBytes));
  }
  return true;
}

}  // namespace

bool ParseMeasure(const std::string& text, TMeasure& measure) {
  if (text != "size" && text != "disk") return false;
  measure = text == "disk" ? TMeasure::Disk : TMeasure::Size;
  return true;
}

std::string TakePathWord(const std::string& word, std::string& path) {
  if (word.size() > 2 && word.compare(0, 2, "--") == 0) return "unknown option " + word;
  if (!path.empty()) return "only one PATH may be given";
  path = word;
  return {};
}

bool ParseWholeNumber(const std::string& text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

// Partial results are results: the exit status stays 0, but the user learns what is missing.
void WarnUnreadable(const TUnreadableList& unreadable) {
  std::fflush(stdout);  // the warning follows the report, also when both go to one terminal
  const std::string text = UnreadableWarning(unreadable, 10);
  std::fwrite(text.data(), 1, text.size(), stderr);
}

bool CheckScanRoot(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(Utf8Path(path), ec);
  if (!ec && std::filesystem::is_directory(status)) return true;
  const std::string reason =
      ec ? ec.message()
         : (std::filesystem::exists(status) ? "Not a directory" : "No such file or directory");
  std::fprintf(stderr, "cannot scan %s: %s\n", path.c_str(), reason.c_str());
  return false;
}

bool ScannedRootWasRead(TCliSession& session, const std::string& path) {
  const TNodeId root = session.Tree().FirstChild(NoNode);
  if (root == NoNode || session.Tree().Data(root).ReadError == 0) return true;
  std::fprintf(stderr, "cannot scan %s: %s\n", path.c_str(),
               SystemErrorText(session.Tree().Data(root).ReadError).c_str());
  return false;
}

std::string ParseScanArgs(const std::vector<std::string>& args, TScanArgs& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--drive") {
      out.Drive = true;
    } else if (a == "--json") {
      out.Json = true;
    } else if (a == "--csv") {
      out.Csv = true;
    } else if (a == "--quiet") {
      out.Quiet = true;
    } else if (a == "--force") {
      out.Force = true;
    } else if (a == "--timings") {
      out.Timings = true;
    } else if (a == "--no-history") {
      out.NoHistory = true;
    } else if (a == "--history-only") {
      out.HistoryOnly = true;
    } else if (a == "--export-ncdu") {
      if (!hasValue || args[i + 1].empty()) return "--export-ncdu needs a FILE (or - )";
      out.ExportNcdu = args[++i];
    } else if (a == "--depth") {
      if (!hasValue || !ParseDepth(args[++i], out.Depth)) return "--depth needs a whole number";
    } else if (a == "--threads") {
      if (!hasValue || !ParseThreads(args[++i], out.Threads)) {
        return "--threads needs a whole number from 1 to 64";
      }
    } else if (a == "--ntfs") {
      if (!hasValue || !out.Path.empty()) return "--ntfs needs the one FILE_OR_DEVICE to scan";
      out.Ntfs = true;
      out.Path = args[++i];
    } else if (a == "--engine") {
      if (!hasValue ||
          (args[i + 1] != "auto" && args[i + 1] != "mft" && args[i + 1] != "listing")) {
        return "--engine needs auto, mft or listing";
      }
      out.Engine = args[++i];
    } else if (a == "--measure") {
      if (!hasValue || !ParseMeasure(args[++i], out.Measure)) {
        return "--measure needs size or disk";
      }
    } else if (a == "--exclude" || a == "--exclude-from" || a == "--exclude-caches" ||
               a == "--rules") {
      if (std::string problem = ParseExclusionArg(args, i, out); !problem.empty()) return problem;
    } else if (a == "--save") {
      if (!hasValue || args[i + 1].empty()) return "--save needs a NAME";
      out.SaveName = args[++i];
      out.Save = true;
    } else if (std::string problem = TakePathWord(a, out.Path); !problem.empty()) {
      return problem;
    }
  }
  if (out.Path.empty()) return "scan needs a PATH";
  if (out.Json && out.Quiet) return "--json and --quiet exclude each other";
  if (out.Csv && (out.Json || out.Quiet)) return "--csv excludes --json and --quiet";
  if (out.Quiet && out.Save) return "--save needs the summary that --quiet skips";
  if (out.HistoryOnly && (out.Json || out.Csv || out.Quiet || out.Save || out.NoHistory)) {
    return "--history-only prints nothing and saves nothing else";
  }
  if (!out.Engine.empty() && !out.Drive && !out.Ntfs) return "--engine needs --drive or --ntfs";
  if (out.Ntfs && out.Engine == "listing") return "--ntfs reads the MFT: --engine listing cannot";
  if (!out.ExportNcdu.empty() && (out.Ntfs || out.Engine == "mft")) {
    return "--export-ncdu writes what folders list: it cannot be given with --ntfs or --engine mft";
  }
  return {};
}

int RunScanCommand(const TScanArgs& args) {
  if (!args.Ntfs && !CheckScanRoot(args.Path)) return 1;
  TCliContext context;
  const bool quiet = args.Quiet || args.HistoryOnly;
  if (quiet && !args.StoredRules) {
    // The one-line report touches no data folder; it still classifies every file, with the
    // default groups, so it does the same work as a full scan.
    context.Groups = DefaultGroupList();
    context.Extensions = DefaultExtensionList();
    if (args.HistoryOnly) PrepareCliContext(context);
  } else {
    PrepareCliContext(context);
  }
  std::shared_ptr<const TExclusionRules> rules;
  if (!ScanRules(context, args, rules)) return 1;
  const bool reportToStdout = args.ExportNcdu != "-";
  TCliSession session(context.Groups, context.Extensions,
                      !quiet && reportToStdout && StderrIsTerminal());
  session.SetExclusions(rules);
  session.SetKeepFileRecords(!quiet && !args.Csv && reportToStdout);
  const TScanEngineChoice engine = EngineChoice(args);
  session.SetEngine(engine);
  TCompressedOutput exportFile;
  std::unique_ptr<TDirectoryLister> lister;
  if (!args.ExportNcdu.empty()) {
    std::string error;
    if (!exportFile.Open(args.ExportNcdu, error)) {
      std::fprintf(stderr, "cannot write %s: %s\n", args.ExportNcdu.c_str(), error.c_str());
      return 1;
    }
    lister = MakeExportLister(args.Path, exportFile);
  }
  auto start = std::chrono::steady_clock::now();
  const std::int64_t startedAt = SecondsSinceEpoch();
  // An image is a whole volume: its root is named like a drive.
  const bool finished =
      session.Scan(args.Path, args.Drive || args.Ntfs, args.Threads, std::move(lister));
  if (!ReportEngine(args, engine, session.EngineReport())) return 1;
  if (args.Timings) {
    std::fprintf(stderr, "scan: %.3f s\n", Seconds(start));
    const TFileRecordStore& records = session.FileRecords();
    std::fprintf(stderr, "file records: %zu, %zu bytes\n", records.Count(), records.MemoryBytes());
  }
  if (!args.ExportNcdu.empty()) {
    std::string error;
    if (!exportFile.Close(error)) {
      std::fprintf(stderr, "cannot write %s: %s\n", args.ExportNcdu.c_str(), error.c_str());
      return 1;
    }
    if (!reportToStdout) {
      WarnUnreadable(session.Unreadable());
      return ScannedRootWasRead(session, args.Path) ? 0 : 1;
    }
  }
  return ReportScan(context, session, args, finished, startedAt);
}

int ReportScan(const TCliContext& context, TCliSession& session, const TScanArgs& args,
               bool finished, std::int64_t startedAt) {
  if (!ScannedRootWasRead(session, args.Path)) return 1;
  auto history =
      finished && !args.Quiet && !args.NoHistory
          ? RecordScanInHistory(context, session.Tree(), args.Path, args.Drive || args.Ntfs,
                                startedAt, SecondsSinceEpoch(), args.Timings)
          : nullptr;
  if (args.HistoryOnly) {
    WarnUnreadable(session.Unreadable());
    FinishHistoryRecording(std::move(history), args.Timings);
    return 0;
  }
  if (args.Quiet) {
    WriteAll(QuietReport(session.Tree(), session.Unreadable()));
    WarnUnreadable(session.Unreadable());
    return 0;
  }
  auto start = std::chrono::steady_clock::now();
  // The folder tree as CSV needs no summary, unless it is saved too.
  if (finished && (!args.Csv || args.Save)) session.Summarise(args.Path, args.Measure);
  if (args.Timings) std::fprintf(stderr, "summary: %.3f s\n", Seconds(start));
  // Largest first at every level, as the folder view shows it.
  const TMeasure measure = args.Measure;
  session.Tree().SortAll([measure](const TFolderData& a, const TFolderData& b) {
    return a.Bytes(measure) > b.Bytes(measure);
  });
  TReportOptions options{args.Drive || args.Ntfs, args.Depth, session.Style(),
                         &session.GroupTotals(), &session.Unreadable()};
  options.Measure = measure;
  if (args.Csv) {
    TExportOptions csv;
    csv.Style = session.Style();
    csv.Depth = args.Depth;
    csv.Measure = measure;
    WriteAll(ExportFolderTree(session.Tree(), session.Tree().FirstChild(NoNode), csv));
  } else {
    const TBiggestFileList& biggest = session.Biggest(measure);
    WriteAll(args.Json ? JsonReport(session.Tree(), biggest, options)
                       : TextReport(session.Tree(), biggest, options));
  }
  WarnUnreadable(session.Unreadable());
  const int exitCode = args.Save ? SaveSummary(context, session, args) : 0;
  FinishHistoryRecording(std::move(history), args.Timings);
  return exitCode;
}

}  // namespace Vellumetric
