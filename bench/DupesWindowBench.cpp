// The desktop program's Duplicates tab over a million and more candidates: a generated tree of
// 1,200 folders of 1,000 files each, listed from memory, whose files are read from a made-up
// source (no disk), so that 600,000 pairs of copies are found in a minute. Prints the longest
// stall of the window's event loop (the gap between two beats of a 1 ms timer) while the search
// runs, while its groups are attached, and while the list is scrolled and opened, with the
// search's time and the process's peak memory.
//   vellumetric-dupes-window-bench [--pairs N]
#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "ui/windows/TMainForm.h"

namespace {

using namespace Vellumetric;

constexpr std::size_t kFilesPerFolder = 1000;
constexpr std::uint64_t kSizes = 50000;

// Folder k holds files k*1000 .. k*1000+999; file g is one side of pair g % pairs. The two
// sides have different names, so no two folders are equal as a whole.
class TGeneratedLister final : public TDirectoryLister {
 public:
  explicit TGeneratedLister(std::size_t pairs) : Pairs(pairs) {}
  TPathStyle Style() const override { return TPathStyle::Posix; }
  bool ListsByFullPath() const override { return false; }
  bool EnterRoot(std::string_view, bool) override {
    Stack.push_back(-1);
    Position.push_back(0);
    return true;
  }
  bool EnterChild(std::string_view name, std::string_view) override {
    Stack.push_back(std::stol(std::string(name.substr(1))));
    Position.push_back(0);
    return true;
  }
  bool Next(TDirEntry& entry) override {
    const long folder = Stack.back();
    std::size_t& at = Position.back();
    const std::size_t folders = 2 * Pairs / kFilesPerFolder;
    if (folder < 0) {
      if (at >= folders) return false;
      Name = "d" + std::to_string(at++);
      entry = TDirEntry{};
      entry.Name = Name;
      entry.IsDirectory = true;
      return true;
    }
    if (at >= kFilesPerFolder) return false;
    const std::size_t g = static_cast<std::size_t>(folder) * kFilesPerFolder + at++;
    const std::size_t pair = g % Pairs;
    Name = "p" + std::to_string(pair) + (g < Pairs ? "_a" : "_b");
    entry = TDirEntry{};
    entry.Name = Name;
    entry.Size = 1 + pair % kSizes;
    entry.DiskSize = (entry.Size + 4095) / 4096 * 4096;  // waste is counted on disk
    return true;
  }
  void Leave() override {
    Stack.pop_back();
    Position.pop_back();
  }
  std::int32_t LastError() const override { return 0; }

 private:
  std::size_t Pairs;
  std::vector<long> Stack;
  std::vector<std::size_t> Position;
  std::string Name;
};

// A file's bytes are its pair's number, over and over: the two sides of a pair are copies.
class TGeneratedFile final : public TOpenFile {
 public:
  TGeneratedFile(std::uint32_t pair, std::uint64_t identity)
      : Pair(pair), Id{0, 0, identity}, Stamp{1 + pair % kSizes, 0, false} {}
  TOpenIdentity Identity() const noexcept override { return Id; }
  TFileStamp OpenedStamp() const noexcept override { return Stamp; }
  bool CurrentStamp(TFileStamp& stamp) const override {
    stamp = Stamp;
    return true;
  }
  std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> buffer) override {
    const std::uint64_t end = std::min<std::uint64_t>(Stamp.Size, offset + buffer.size());
    for (std::uint64_t i = offset; i < end; ++i) {
      buffer[i - offset] = static_cast<std::byte>(Pair >> (8 * (i % 4)));
    }
    return static_cast<std::int64_t>(end > offset ? end - offset : 0);
  }

 private:
  std::uint32_t Pair;
  TOpenIdentity Id;
  TFileStamp Stamp;
};

class TGeneratedSource final : public TContentSource {
 public:
  TOpenOutcome Open(const std::string& path, std::unique_ptr<TOpenFile>& file) override {
    const std::size_t slash = path.rfind('/');
    const auto pair = static_cast<std::uint32_t>(std::stoul(path.substr(slash + 2)));
    file = std::make_unique<TGeneratedFile>(pair, std::hash<std::string>()(path));
    return TOpenOutcome::Opened;
  }
  bool OnSpinningDisk(const std::string&) override { return false; }
};

template <class Done>
bool RunUntil(Done done, int limitMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limitMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

struct THeartbeat {
  QElapsedTimer Clock;
  QTimer Beat;
  qint64 Last = 0;
  qint64 Longest = 0;
  qint64 LongestAt = 0;  // when it ended

  void Start() {
    Clock.start();
    Beat.setInterval(1);
    QObject::connect(&Beat, &QTimer::timeout, [this] {
      const qint64 now = Clock.elapsed();
      if (now - Last > Longest) {
        Longest = now - Last;
        LongestAt = now;
      }
      Last = now;
    });
    Beat.start();
  }
  qint64 Take() {
    const qint64 longest = Longest;
    Longest = 0;
    Last = Clock.elapsed();
    return longest;
  }
};

long PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t pairs = 600000;
  if (argc == 3 && std::strcmp(argv[1], "--pairs") == 0) pairs = std::stoul(argv[2]);
  QApplication app(argc, argv);
  TAnalyzerServices services;
  services.Listers = [pairs] { return std::make_unique<TGeneratedLister>(pairs); };
  services.HistoryDatabase = [] { return std::string(); };
  services.WindowStateFolder = [] { return std::string(); };
  TMainForm form(96, services);
  form.resize(1400, 950);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  QElapsedTimer clock;
  clock.start();
  a.ScanFolder("/generated");
  if (!RunUntil([&] { return !a.WorkPending(); }, 1200000)) return 1;
  std::printf("%zu files scanned and summed up in %.1f s\n", a.FileRecords.Count(),
              clock.elapsed() / 1000.0);
  TDuplicatesTabController& dupes = *a.DupesTab;
  a.PageControl1->setCurrentWidget(dupes.TabSheet);
  dupes.ContentSource = [] { return std::make_unique<TGeneratedSource>(); };
  THeartbeat heart;
  heart.Start();
  RunUntil([] { return false; }, 300);
  heart.Take();
  clock.restart();
  const qint64 started = heart.Clock.elapsed();
  dupes.FindClick();
  if (!RunUntil([&] { return !dupes.Searching(); }, 1200000)) return 1;
  const double searched = clock.elapsed() / 1000.0;
  const qint64 longestAt = heart.LongestAt - started;
  const qint64 duringSearch = heart.Take();
  const auto result = dupes.SharedResult();
  std::uint64_t members = 0;
  for (const auto& g : result->Groups) members += g.Count;
  std::printf(
      "search: %.1f s, %zu groups of %llu files; longest event-loop gap %lld ms (ended %.1f s "
      "after the click)\n",
      searched, result->Groups.size(), static_cast<unsigned long long>(members),
      static_cast<long long>(duringSearch), longestAt / 1000.0);
  // Scrolled to the end and back, and a few groups opened, as a user looks through the list.
  QScrollBar* bar = dupes.List->verticalScrollBar();
  for (int step = 0; step <= 20; ++step) {
    bar->setValue(bar->maximum() * step / 20);
    RunUntil([] { return false; }, 30);
  }
  for (int row = 0; row < 50; row += 5) {
    dupes.List->expand(dupes.Model->index(row, 0, {}));
    dupes.List->scrollTo(dupes.Model->index(row, 0, {}));
    RunUntil([] { return false; }, 30);
  }
  std::printf("scrolling and opening groups: longest event-loop gap %lld ms\n",
              static_cast<long long>(heart.Take()));
  std::printf("peak memory of the process: %ld MB\n", PeakMegabytes());
  return 0;
}
