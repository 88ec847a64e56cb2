// vellumetric-cli: the headless front end over the scan engine.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/FindCommand.h"
#include "cli/HistoryCommands.h"
#include "cli/InfoCommands.h"
#include "cli/ScanCommand.h"
#include "cli/SummaryCommands.h"
#include "system/NativePlatform.h"

namespace {

using namespace Vellumetric;

constexpr const char* kUsage =
    "usage: vellumetric-cli scan PATH [--drive] [--depth N] [--json | --csv | --quiet]\n"
    "                            [--save NAME [--force]] [--timings] [--threads N]\n"
    "                            [--no-history] [--measure size|disk]\n"
    "                            [--engine auto|mft|listing]\n"
    "       vellumetric-cli scan --ntfs FILE_OR_DEVICE [the options of scan PATH]\n"
    "       vellumetric-cli find PATH [--name GLOB] [--min SIZE] [--max SIZE] [--on-disk]\n"
    "                            [--group NAME] [--older-than DAYS] [--top N] [--json | --csv]\n"
    "       vellumetric-cli history [PATH] [--json] | history --keep N\n"
    "       vellumetric-cli diff [PATH | ID1 ID2] [--top N] [--json]\n"
    "       vellumetric-cli open FILE [--json]\n"
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
    "  --measure M size (default): the bytes the files hold; disk: the bytes they take on\n"
    "              disk (allocated blocks, a file with several names counted once). Orders\n"
    "              the tree and picks the biggest files; both columns are always shown\n"
    "  --engine E  how a drive is read: auto (its NTFS master file table where it can be\n"
    "              read, else its folders), mft (the table or nothing), listing (folders)\n"
    "  --ntfs FILE_OR_DEVICE  scan an NTFS image or unmounted partition through its master\n"
    "              file table\n"
    "  find PATH   scan PATH, then list the files that match, largest first: --name GLOB\n"
    "              (*.iso, backup*; case ignored), --min/--max SIZE (500K, >1G, <10M; K =\n"
    "              1024), --group NAME, --older-than DAYS (last access), --top N; --json or\n"
    "              --csv for scripts and spreadsheets; --on-disk: --min, --max and the order\n"
    "              go by the bytes on disk instead of the size\n"
    "  history     the stored scans (of PATH only), newest first; --keep N keeps the newest\n"
    "              N scans of each folder (10 unless changed)\n"
    "  diff        what changed between the two newest scans of PATH (default: the folder\n"
    "              scanned last) or scans ID1 and ID2: total, growth and shrink spots (--top N,\n"
    "              20 unless given), new and gone folders\n"
    "  open FILE   show a saved summary (a path, or a name in the Backup folder)\n"
    "  groups      the file-type groups with their extensions\n"
    "  drives      each fixed drive's tile line and information page\n"
    "  about       product, version, operating system and memory\n";

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
  if (command == "open") {
    if (rest.empty() || rest.size() > 2 || (rest.size() == 2 && rest[1] != "--json")) {
      return Usage("open takes FILE and optionally --json");
    }
    return RunOpenCommand(rest[0], rest.size() == 2);
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
