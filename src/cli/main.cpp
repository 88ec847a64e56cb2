// vellumetric-cli: the headless front end over the scan engine.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/DupesCommand.h"
#include "cli/FindCommand.h"
#include "cli/HistoryCommands.h"
#include "cli/ImportCommands.h"
#include "cli/InfoCommands.h"
#include "cli/ScanCommand.h"
#include "cli/StatsCommand.h"
#include "cli/SummaryCommands.h"
#include "exchange/ScanFileKind.h"
#include "system/NativePlatform.h"

namespace {

using namespace Vellumetric;

constexpr const char* kUsage =
    "usage: vellumetric-cli scan PATH [--drive] [--depth N] [--json | --csv | --quiet]\n"
    "                            [--save NAME [--force]] [--timings] [--threads N]\n"
    "                            [--no-history] [--measure size|disk]\n"
    "                            [--exclude GLOB]... [--exclude-from FILE]\n"
    "                            [--exclude-caches] [--rules]\n"
    "                            [--export-ncdu FILE|-] [--history-only]\n"
    "                            [--engine auto|mft|listing]\n"
    "       vellumetric-cli scan --ntfs FILE_OR_DEVICE [the options of scan PATH]\n"
    "       vellumetric-cli find PATH [--name GLOB] [--min SIZE] [--max SIZE] [--on-disk]\n"
    "                            [--group NAME] [--older-than DAYS] [--top N] [--json | --csv]\n"
    "       vellumetric-cli stats PATH [--group NAME] [--json | --csv]\n"
    "       vellumetric-cli dupes PATH [--min SIZE] [--folders] [--no-byte-check] [--top N]\n"
    "                            [--json | --csv]\n"
    "       vellumetric-cli history [PATH] [--json] | history --keep N\n"
    "       vellumetric-cli diff [PATH | ID1 ID2] [--top N] [--json]\n"
    "       vellumetric-cli open FILE [--json]\n"
    "       vellumetric-cli open EXPORT.json[.gz|.zst] [--json | --csv | --quiet] [--depth N]\n"
    "                            [--measure size|disk]\n"
    "       vellumetric-cli history import EXPORT [--as NAME]\n"
    "       vellumetric-cli groups\n"
    "       vellumetric-cli drives [--json]\n"
    "       vellumetric-cli about\n"
    "       vellumetric-cli --version\n"
    "\n"
    "  scan PATH   total the bytes, files and folders below PATH, with the 20 biggest files\n"
    "              and the per-file-type summary\n"
    "  --drive     scan PATH as a drive root and stay on its file system\n"
    "  --depth N   levels of the folder tree to print (text: 2, JSON: all)\n"
    "  --json      one JSON document on stdout\n"
    "  --csv       the folder tree as CSV (every depth unless --depth)\n"
    "  --quiet     one line: size, files and folders of the root (no summary)\n"
    "  --save NAME write the summary as NAME.sbf into the Backup folder\n"
    "  --force     replace an existing summary file of that name\n"
    "  --timings   print the scan and summary times on stderr\n"
    "  --threads N list folders on N threads (1: one thread; default: the engine's choice)\n"
    "  --no-history  leave this scan out of the scan history\n"
    "  --export-ncdu FILE  also write the scan as an ncdu export (FILE.gz, FILE.zst\n"
    "              compressed; - for standard output, which then gets no report); ncdu -f\n"
    "              and gdu -f read it\n"
    "  --history-only  record the scan in the history and print nothing (for cron)\n"
    "  --measure M size (default): the bytes the files hold; disk: the bytes they take on\n"
    "              disk (allocated blocks, a file with several names counted once). Orders\n"
    "              the tree and picks the biggest files; both columns are always shown\n"
    "  --exclude GLOB  leave out folders whose name matches GLOB (node_modules, .git),\n"
    "              or whose path does when GLOB holds a '/' (*/build/cache); repeatable.\n"
    "              Left-out folders are listed, marked excluded, with no totals\n"
    "  --exclude-from FILE  the same for each line of FILE ('#' starts a comment)\n"
    "  --exclude-caches  leave out folders holding a valid CACHEDIR.TAG\n"
    "  --rules     apply the exclusion rules stored by the window as well\n"
    "  --engine E  how a drive is read: auto (its NTFS master file table where it can be\n"
    "              read, else its folders), mft (the table or nothing), listing (folders)\n"
    "  --ntfs FILE_OR_DEVICE  scan an NTFS image or unmounted partition through its master\n"
    "              file table\n"
    "  find PATH   scan PATH, then list the files that match, largest first: --name GLOB\n"
    "              (*.iso, backup*; case ignored), --min/--max SIZE (500K, >1G, <10M; K =\n"
    "              1024), --group NAME, --older-than DAYS (last access), --top N; --json or\n"
    "              --csv for scripts and spreadsheets; --on-disk: --min, --max and the order\n"
    "              go by the bytes on disk instead of the size\n"
    "  stats PATH  scan PATH, then show how the file sizes spread (files, size and on disk\n"
    "              per power-of-two range, percentiles P0 to P100 of the file count) and\n"
    "              how old the bytes are (per year of last access and of last change, per\n"
    "              month of this year and last year; local time); --group NAME: one\n"
    "              file-type group, or one extension (.so, which takes libc.so.6 too)\n"
    "  dupes PATH  scan PATH, then list the copies of files, most wasted space first, and the\n"
    "              total; files of equal size are compared by XXH3-128 hashes of their first 4\n"
    "              KiB, first MiB and whole content, and byte for byte (--no-byte-check: by\n"
    "              the hashes alone). --min SIZE skips smaller files (default 1 byte; empty\n"
    "              files never count); --folders groups folders whose whole content is equal;\n"
    "              two names of one file (hard links) are one file. Nothing is deleted, moved\n"
    "              or linked: jdupes, rdfind, rmlint and fdupes do that, if you want it\n"
    "  history     the stored scans (of PATH only), newest first; --keep N keeps the newest\n"
    "              N scans of each folder (10 unless changed)\n"
    "  diff        what changed between the two newest scans of PATH (default: the folder\n"
    "              scanned last) or scans ID1 and ID2: total, growth and shrink spots (--top N,\n"
    "              20 unless given), new and gone folders\n"
    "  open FILE   show a saved summary (a path, or a name in the Backup folder), or the\n"
    "              scan an ncdu export holds (from ncdu -o, gdu -o or --export-ncdu), reported\n"
    "              like scan\n"
    "  history import EXPORT  add the scan an ncdu export holds to the history, under\n"
    "              NAME (--as nas01:/srv) or the folder named in the file\n"
    "  groups      the file-type groups with their extensions\n"
    "  drives      each fixed drive's tile line and information page\n"
    "  about       product, version, operating system and memory\n";

// An ncdu export (plain or compressed), told from a summary file by its content; a file that
// cannot be read goes the summary's way, which reports it.
bool IsScanFile(const std::string& file) {
  std::string error;
  const TScanFileKind kind = DetectScanFile(file, error);
  if (kind == TScanFileKind::Unreadable && !error.empty() &&
      error.find("compressed") != std::string::npos) {
    return true;  // compressed, but this build cannot read it: the import says so
  }
  return kind == TScanFileKind::NcduExport;
}

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "vellumetric-cli: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

int Dispatch(const std::string& command, const std::vector<std::string>& rest) {
  const bool onlyJson = rest.size() == 1 && rest[0] == "--json";
  if (command == "scan") {
    TScanArgs args;
    const std::string problem = ParseScanArgs(rest, args);
    return problem.empty() ? RunScanCommand(args) : Usage(problem);
  }
  if (command == "find") {
    TFindArgs args;
    const std::string problem = ParseFindArgs(rest, args);
    return problem.empty() ? RunFindCommand(std::move(args)) : Usage(problem);
  }
  if (command == "stats") {
    TStatsArgs args;
    const std::string problem = ParseStatsArgs(rest, args);
    return problem.empty() ? RunStatsCommand(args) : Usage(problem);
  }
  if (command == "dupes") {
    TDupesArgs args;
    const std::string problem = ParseDupesArgs(rest, args);
    return problem.empty() ? RunDupesCommand(args) : Usage(problem);
  }
  if (command == "open") {
    // The file may stand anywhere among the options; those with a value are passed over.
    for (std::size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == "--depth" || rest[i] == "--measure") {
        ++i;
      } else if (rest[i].rfind("--", 0) != 0) {
        if (!IsScanFile(rest[i])) break;
        std::vector<std::string> options = rest;
        options.erase(options.begin() + static_cast<std::ptrdiff_t>(i));
        return RunOpenScanFile(rest[i], options);
      }
    }
  }
  if (command == "open") {
    if (rest.empty() || rest.size() > 2 || (rest.size() == 2 && rest[1] != "--json")) {
      return Usage("open takes FILE and optionally --json");
    }
    return RunOpenCommand(rest[0], rest.size() == 2);
  }
  if (command == "history" && !rest.empty() && rest[0] == "import") {
    return RunHistoryImport(std::vector<std::string>(rest.begin() + 1, rest.end()));
  }
  if (command == "history") {
    THistoryArgs args;
    const std::string problem = ParseHistoryArgs(rest, args);
    return problem.empty() ? RunHistoryCommand(args) : Usage(problem);
  }
  if (command == "diff") {
    TDiffArgs args;
    const std::string problem = ParseDiffArgs(rest, args);
    return problem.empty() ? RunDiffCommand(args) : Usage(problem);
  }
  if (command == "groups")
    return rest.empty() ? RunGroupsCommand() : Usage("groups takes no arguments");
  if (command == "drives") {
    return rest.empty() || onlyJson ? RunDrivesCommand(onlyJson)
                                    : Usage("drives takes only --json");
  }
  if (command == "about")
    return rest.empty() ? RunAboutCommand() : Usage("about takes no arguments");
  return Usage("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  PrepareMemoryForScans();
  const std::vector<std::string> args = CommandLineArguments(argc, argv);
  if (args.size() < 2) return Usage("");
  const std::string& command = args[1];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "--version")
    return args.size() == 2 ? RunVersionCommand() : Usage("--version takes no arguments");
  return Dispatch(command, std::vector<std::string>(args.begin() + 2, args.end()));
}
