#include "cli/DupesCommand.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/ScanCommand.h"
#include "cli/SummaryCommands.h"
#include "cli/TCliSession.h"
#include "duplicates/TDuplicateSearch.h"
#include "export/DuplicateExport.h"
#include "find/SizeText.h"
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

// "2,041": counts of a report read more easily grouped, whatever the locale.
std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<std::size_t>(i), ",");
  }
  return digits;
}

std::string Size(std::uint64_t bytes) {
  std::string text = FormatSize(bytes, 1);
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

std::string Plural(std::uint64_t n, const char* one, const char* many) {
  return Grouped(n) + " " + (n == 1 ? one : many);
}

std::string TextReport(const TDuplicateResult& result, std::size_t top, TCliSession& session) {
  std::string out;
  const std::size_t shown = top == 0 ? result.Groups.size() : std::min(top, result.Groups.size());
  for (std::size_t i = 0; i < shown; ++i) {
    const TDuplicateGroup& g = result.Groups[i];
    const auto members = result.MembersOf(g);
    const bool folders = g.Kind == TDuplicateKind::Folders;
    out += Size(g.Wasted) + " wasted: " +
           Plural(members.size(), folders ? "folder" : "file", folders ? "folders" : "files") +
           " of " + Size(g.Size) + "\n";
    for (std::uint32_t m : members) {
      out += "  " +
             DuplicateMemberPath(g, m, session.FileRecords(), session.Tree(), session.Style()) +
             "\n";
    }
    out += "\n";
  }
  out += Plural(result.Groups.size(), "group", "groups") + ", " +
         Plural(result.Copies, "copy", "copies") + ", " + Size(result.Wasted) + " wasted";
  if (shown < result.Groups.size()) out += "; the " + Grouped(shown) + " most wasteful shown";
  out += "\n";
  if (result.LeftOut > 0) {
    out += Plural(result.LeftOut, "file", "files") +
           " left out: changed, vanished or unreadable while compared\n";
  }
  if (result.OnlineOnly > 0) {
    out += Plural(result.OnlineOnly, "file", "files") +
           " online only: not compared, as reading would download them\n";
  }
  return out;
}

// A line on stderr while the files are read, when stderr is a terminal.
class TProgressLine {
 public:
  explicit TProgressLine(const TDuplicateProgress& progress) : Progress(progress) {
    if (!StderrIsTerminal()) return;
    Drawer = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) {
        const std::uint64_t read = Progress.BytesRead.load();
        const std::uint64_t all = std::max(read, Progress.BytesToRead.load());
        std::fprintf(stderr, "\rcomparing: %s of %s read, %s groups   ", Size(read).c_str(),
                     Size(all).c_str(), Grouped(Progress.Groups.load()).c_str());
        std::fflush(stderr);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
      std::fputs("\r\033[K", stderr);
    });
  }

 private:
  const TDuplicateProgress& Progress;
  std::jthread Drawer;
};

std::string ParseValue(const std::string& option, const std::string& value, TDupesArgs& out) {
  std::string error;
  long number = 0;
  if (option == "--min") {
    if (!ParseSizeBound(value, TSizeBound::Minimum, out.Options.MinSize, error)) {
      return "--min: " + error;
    }
  } else if (option == "--top") {
    if (!ParseWholeNumber(value, 1, 1000000000, number)) return "--top needs a whole number";
    out.Top = static_cast<std::size_t>(number);
  } else if (option == "--threads") {
    if (!ParseWholeNumber(value, 1, 64, number)) {
      return "--threads needs a whole number from 1 to 64";
    }
    out.Threads = static_cast<int>(number);
  }
  return {};
}

}  // namespace

std::string ParseDupesArgs(const std::vector<std::string>& args, TDupesArgs& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      out.Json = true;
    } else if (a == "--csv") {
      out.Csv = true;
    } else if (a == "--folders") {
      out.Options.Folders = true;
    } else if (a == "--no-byte-check") {
      out.Options.ByteCheck = false;
    } else if (a == "--drive") {
      out.Drive = true;
    } else if (a == "--timings") {
      out.Timings = true;
    } else if (a == "--min" || a == "--top" || a == "--threads") {
      if (i + 1 >= args.size()) return a + " needs a value";
      const std::string problem = ParseValue(a, args[++i], out);
      if (!problem.empty()) return problem;
    } else if (std::string problem = TakePathWord(a, out.Path); !problem.empty()) {
      return problem;
    }
  }
  if (out.Path.empty()) return "dupes needs a PATH";
  if (out.Json && out.Csv) return "--json and --csv exclude each other";
  return {};
}

int RunDupesCommand(const TDupesArgs& args) {
  TCliContext context;
  PrepareCliContext(context);
  if (!CheckScanRoot(args.Path)) return 1;
  TCliSession session(context.Groups, context.Extensions, StderrIsTerminal());
  auto start = std::chrono::steady_clock::now();
  session.Scan(args.Path, args.Drive, args.Threads);
  if (args.Timings) std::fprintf(stderr, "scan: %.3f s\n", Seconds(start));
  if (!ScannedRootWasRead(session, args.Path)) return 1;
  start = std::chrono::steady_clock::now();
  TDuplicateProgress progress;
  TDuplicateResult result;
  {
    const TProgressLine line(progress);
    const auto source = CreateContentSource();
    result = FindDuplicates(session.FileRecords(), session.Tree(), session.Style(), args.Options,
                            *source, progress, [] { return false; });
  }
  if (args.Timings) {
    std::fprintf(stderr, "search: %.3f s, %llu bytes read\n", Seconds(start),
                 static_cast<unsigned long long>(result.BytesRead));
  }
  const TNodeId root = session.Tree().FirstChild(NoNode);
  const std::string rootPath = root == NoNode ? args.Path : session.Tree().Data(root).Path.Str();
  if (args.Json || args.Csv) {
    TExportOptions options;
    options.Format = args.Json ? TExportFormat::Json : TExportFormat::Csv;
    options.Style = session.Style();
    WriteAll(ExportDuplicates(result, args.Top, session.FileRecords(), session.Tree(), rootPath,
                              options));
  } else {
    WriteAll(TextReport(result, args.Top, session));
  }
  WarnUnreadable(session.Unreadable());
  return 0;
}

}  // namespace Vellumetric
