// Times the statistics of a scan's file records (size histogram, percentiles, ages by local year
// and month) over a synthetic store of many files, beside a bare pass over the same records and
// a Find query, measured in the same run.
//   vellumetric-statistics-bench [--files N] [--runs N]
// The store is made here, not scanned: five million files are more than a test machine's disk
// holds comfortably, and the statistics read only the records.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "find/TFileQuery.h"
#include "statistics/FileStatistics.h"
#include "system/NativePlatform.h"

using namespace Vellumetric;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The processor time of this thread: on a shared machine the wall time mostly measures others.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

template <typename F>
double MedianMs(int runs, F&& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = ThreadCpuMs();
    work();
    times.push_back(ThreadCpuMs() - start);
  }
  return Median(times);
}

// Sizes lognormal around 13 KB with some empty files, times over fifteen years with most bytes
// recent, a tenth of the names versioned libraries, a third of the files in a group.
void Fill(TFileRecordStore& files, std::size_t count) {
  std::mt19937_64 rng(1);
  std::lognormal_distribution<double> size(std::log(13000.0), 2.2);
  const char* const names[] = {"libfoo.so.6", "report.pdf", "photo.jpg", "main.c",   "data.json",
                               "README",      "libbar.so",  "notes.txt", "clip.mp4", "module.py"};
  const std::uint64_t now = 1780000000;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t bytes = rng() % 50 == 0 ? 0 : static_cast<std::uint64_t>(size(rng));
    const auto age = [&] {
      const double years = std::pow(static_cast<double>(rng() % 10000) / 10000.0, 2) * 15;
      return (now - static_cast<std::uint64_t>(years * 31557600) + 11644473600ULL) * 10000000ULL;
    };
    const std::uint64_t access = age();
    files.Add(0, names[rng() % std::size(names)], bytes, rng() % 3 == 0 ? 2 : -1, access,
              {(bytes + 4095) / 4096 * 4096, 0}, std::min<std::uint64_t>(access, age()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = 5000000;
  int runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--files") count = std::strtoull(argv[i + 1], nullptr, 10);
    if (a == "--runs") runs = std::atoi(argv[i + 1]);
  }
  TFileRecordStore files;
  Fill(files, count);
  std::printf("%zu files, records %.1f bytes per file\n", count,
              static_cast<double>(files.MemoryBytes()) / static_cast<double>(count));

  std::uint64_t sink = 0;
  const double bare = MedianMs(runs, [&] {
    for (std::size_t i = 0; i < files.Count(); ++i) {
      const TFileRecord r = files.Record(static_cast<TFileId>(i));
      sink += r.Size + r.DiskSize +
              static_cast<std::uint64_t>(files.LastAccess(static_cast<TFileId>(i)));
    }
  });
  TFileQuery find;
  find.MinSize = 1 << 20;
  find.Top = 10000;
  TFolderTree tree;
  tree.AddChild(NoNode, {.Path = TPathText("/root")});
  const double query =
      MedianMs(runs, [&] { sink += FindFiles(files, tree, TPathStyle::Posix, find).Count; });
  const double calendarMs = MedianMs(runs, [&] {
    const TLocalCalendar calendar([](std::int64_t t) { return LocalUtcOffset(t); });
    sink += static_cast<std::uint64_t>(calendar.Months());
  });
  const TLocalCalendar calendar([](std::int64_t t) { return LocalUtcOffset(t); });
  std::printf("%-34s %9s %12s %12s\n", "", "cpu ms", "x bare pass", "x find query");
  const auto row = [&](const char* what, double ms) {
    std::printf("%-34s %9.1f %12.2f %12.2f\n", what, ms, ms / bare, ms / query);
  };
  row("bare pass (size, disk, access)", bare);
  row("find query (>= 1 MB, top 10000)", query);
  row("local calendar (1970-2106)", calendarMs);
  struct TCase {
    const char* Name;
    TStatisticsQuery Query;
  };
  TCase cases[] = {{"statistics, all files", {}},
                   {"statistics, one group", {}},
                   {"statistics, extension .so", {}}};
  cases[1].Query.Group = 2;
  cases[2].Query.Extension = ".so";
  for (TCase& c : cases) {
    c.Query.Now = 1780000000;
    const double ms = MedianMs(runs, [&] {
      sink += ComputeFileStatistics(files, c.Query, calendar, TPathStyle::Posix).Total.Count;
    });
    row(c.Name, ms);
  }
  std::fprintf(stderr, "(%llu)\n", static_cast<unsigned long long>(sink));
  return 0;
}
