// Times queries over the file records of a real folder: scan it once with the core, then run
// each query a number of times and print the median, with the export of the results as CSV.
//   vellumetric-find-bench PATH [--runs N]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/TCliSession.h"
#include "export/ExportTables.h"
#include "filetypes/DefaultFileTypes.h"
#include "find/SizeText.h"
#include "find/TFileQuery.h"
#include "treemap/TExtensionColours.h"

using namespace Vellumetric;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// The processor time of this thread: on a machine shared with other work the wall time of a
// short query mostly measures the others.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::uint64_t Size(const char* text, TSizeBound kind) {
  std::uint64_t bytes = 0;
  std::string error;
  if (!ParseSizeBound(text, kind, bytes, error)) std::abort();
  return bytes;
}

struct TCase {
  const char* Title;
  TFileQuery Query;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: vellumetric-find-bench PATH [--runs N]\n", stderr);
    return 2;
  }
  const std::string root = argv[1];
  int runs = 21;
  for (int i = 2; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[++i]));
  }
  TCliSession session(DefaultGroupList(), DefaultExtensionList(), false);
  auto start = std::chrono::steady_clock::now();
  session.Scan(root, false);
  const TFileRecordStore& files = session.FileRecords();
  std::printf("%s: %zu file records, %zu folders, scanned in %.0f ms\n", root.c_str(),
              files.Count(), session.Tree().Count(), MsSince(start));
  const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  std::vector<TCase> cases;
  TFileQuery name;
  name.Name = "*.iso";
  cases.push_back({"name *.iso, every match", name});
  name.Top = 1000;
  cases.push_back({"name *.iso, the largest 1000", name});
  TFileQuery prefix;
  prefix.Name = "backup*";
  cases.push_back({"name backup*, every match", prefix});
  TFileQuery all;
  all.Name = "*.jpg";
  all.MinSize = Size(">1K", TSizeBound::Minimum);
  all.MaxSize = Size("<10M", TSizeBound::Maximum);
  all.Group = 0;  // Raster Image Files
  all.OlderThanDays = 0;
  all.Now = now;
  cases.push_back({"name *.jpg, >1K, <10M, group 0, older than 0 days", all});
  TFileQuery everything;
  everything.Top = 1000;
  cases.push_back({"every file, the largest 1000", everything});
  std::printf("  %-50s %10s %10s  %6s %6s  %10s\n", "query", "wall", "cpu", "found", "kept",
              "CSV export");
  std::size_t written = 0;
  for (const TCase& c : cases) {
    std::vector<double> times;
    std::vector<double> cpu;
    TFindResult found;
    for (int r = 0; r < runs; ++r) {
      const double cpuStart = ThreadCpuMs();
      start = std::chrono::steady_clock::now();
      found = FindFiles(files, session.Tree(), session.Style(), c.Query);
      times.push_back(MsSince(start));
      cpu.push_back(ThreadCpuMs() - cpuStart);
    }
    start = std::chrono::steady_clock::now();
    const std::string csv =
        ExportFoundFiles(found, files, session.Tree(), session.Groups(), root, TExportOptions{});
    const double csvMs = MsSince(start);
    std::printf("  %-50s %7.1f ms %7.1f ms  %6llu %6zu  %7.1f ms\n", c.Title, Median(times),
                Median(cpu), static_cast<unsigned long long>(found.Count), found.Files.size(),
                csvMs);
    written += csv.size();
  }
  std::vector<double> colourTimes;
  std::size_t coloured = 0;
  for (int r = 0; r < runs; ++r) {
    start = std::chrono::steady_clock::now();
    const TExtensionColours colours(files, session.Style());
    colourTimes.push_back(MsSince(start));
    coloured = colours.Extensions().size();
  }
  std::printf("  %-50s %7.1f ms             (%zu extensions)\n",
              "map colours of ungrouped extensions", Median(colourTimes), coloured);
  std::printf(
      "median of %d runs each (wall and this thread's processor time); the CSV export\n"
      "(one run) spells out every kept path: %zu bytes in all\n",
      runs, written);
  return 0;
}
