// vellumetric-cli: the headless front end over the scan engine.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/InfoCommands.h"
#include "cli/ScanReport.h"
#include "cli/TCliScanSession.h"
#include "filetypes/DefaultFileTypes.h"
#include "system/NativePlatform.h"

namespace {

using namespace Vellumetric;

constexpr const char* kUsage =
    "usage: vellumetric-cli scan PATH [--drive] [--depth N] [--json] [--quiet]\n"
    "       vellumetric-cli drives [--json]\n"
    "       vellumetric-cli about\n"
    "\n"
    "  scan PATH   total the bytes, files and folders below PATH\n"
    "  --drive     scan PATH as a drive root and stay on its file system\n"
    "  --depth N   levels of the folder tree to print (text: 2, JSON: all)\n"
    "  --json      one JSON document on stdout\n"
    "  --quiet     one line: size, files and folders of the root\n"
    "  drives      each fixed drive's tile line and information page\n"
    "  about       product, version, operating system and memory\n";

struct TScanArgs {
  std::string Path;
  bool Drive = false;
  bool Json = false;
  bool Quiet = false;
  int Depth = -1;
};

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "vellumetric-cli: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

bool ParseDepth(const char* text, int& depth) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1000000) return false;
  depth = static_cast<int>(value);
  return true;
}

// Returns 0 on success, or the exit status of a usage error.
int ParseScanArgs(const std::vector<std::string>& args, TScanArgs& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--drive") {
      out.Drive = true;
    } else if (a == "--json") {
      out.Json = true;
    } else if (a == "--quiet") {
      out.Quiet = true;
    } else if (a == "--depth") {
      if (i + 1 >= args.size() || !ParseDepth(args[i + 1].c_str(), out.Depth)) {
        return Usage("--depth needs a whole number");
      }
      ++i;
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return Usage(("unknown option " + a).c_str());
    } else if (out.Path.empty()) {
      out.Path = a;
    } else {
      return Usage("only one PATH may be given");
    }
  }
  if (out.Path.empty()) return Usage("scan needs a PATH");
  if (out.Json && out.Quiet) return Usage("--json and --quiet exclude each other");
  return 0;
}

void WriteAll(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

int RunScan(const TScanArgs& args) {
  std::error_code ec;
  const auto status = std::filesystem::status(args.Path, ec);
  if (ec || !std::filesystem::is_directory(status)) {
    const std::string reason =
        ec ? ec.message()
           : (std::filesystem::exists(status) ? "Not a directory" : "No such file or directory");
    std::fprintf(stderr, "cannot scan %s: %s\n", args.Path.c_str(), reason.c_str());
    return 1;
  }
  TCliScanSession session(DefaultExtensionList(), !args.Quiet && isatty(STDERR_FILENO) == 1);
  session.Run(args.Path, args.Drive);
  if (args.Quiet) {
    WriteAll(QuietReport(session.Tree()));
    return 0;
  }
  // Largest first at every level, as the folder view shows it.
  session.Tree().SortAll(
      [](const TFolderData& a, const TFolderData& b) { return a.Size > b.Size; });
  const TReportOptions options{args.Drive, args.Depth, session.Style()};
  WriteAll(args.Json ? JsonReport(session.Tree(), session.Biggest(), options)
                     : TextReport(session.Tree(), session.Biggest(), options));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareMemoryForScans();
  if (argc < 2) return Usage(nullptr);
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::vector<std::string> rest(argv + 2, argv + argc);
  if (command == "drives") {
    if (rest.size() > 1 || (rest.size() == 1 && rest[0] != "--json"))
      return Usage("drives takes only --json");
    return RunDrivesCommand(rest.size() == 1);
  }
  if (command == "about")
    return rest.empty() ? RunAboutCommand() : Usage("about takes no arguments");
  if (command != "scan") return Usage(("unknown command " + command).c_str());
  TScanArgs args;
  if (const int status = ParseScanArgs(rest, args); status != 0) return status;
  return RunScan(args);
}
