// Measures the Changes tab on a root with many kept scans: the time from the scan's end message
// until the tab shows the comparison, and the longest the window's event loop was kept from
// running meanwhile (and until the summary is done).
//   vellumetric-changes-bench DIR [KEPT]
// The data folder is whatever XDG_DATA_HOME says (bench/changes-tab makes a fresh one). The
// first scan of DIR is stored, then copied into KEPT - 1 earlier scans (a day apart, with a few
// hundred folders grown in each, so the comparison has something to list); the second scan is
// the one measured.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "history/THistoryDatabase.h"
#include "model/VLMMessages.h"
#include "system/NativePlatform.h"
#include "ui/windows/TMainForm.h"

using namespace Vellumetric;

namespace {

template <class Done>
bool RunUntil(Done done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 600000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.FolderView->Model->AttachedTree();
}

// Grows `count` folders of `scan` (and their parents, so every total stays the sum of its parts).
void GrowSomeFolders(TScanSnapshot& scan, std::mt19937_64& random, int count) {
  std::uniform_int_distribution<std::size_t> pick(1, scan.Folders.size() - 1);
  for (int i = 0; i < count; ++i) {
    const std::uint64_t bytes = 4096 * (1 + random() % 256);
    for (std::uint32_t f = static_cast<std::uint32_t>(pick(random)); f != NoNode;
         f = scan.Folders[f].Parent) {
      scan.Folders[f].Size += bytes;
    }
    scan.Size += bytes;
  }
}

// Replaces the first stored scan by `kept` - 1 made-up earlier ones; false with a message.
bool FillHistory(const std::string& path, int kept) {
  THistoryDatabase db(path);
  std::vector<TScanSnapshot> scans;
  TScanSnapshot base;
  int removed = 0;
  if (!db.Open() || !db.SetKeep(kept, removed) || !db.ListScans("", scans) || scans.size() != 1 ||
      !db.LoadScan(scans[0].Id, base)) {
    std::fprintf(stderr, "cannot prepare the history: %s\n", db.Error().c_str());
    return false;
  }
  std::mt19937_64 random(1);
  TScanSnapshot copy = base;
  // Oldest first; each copy grows from the one before, the last is a day before the real scan.
  for (int i = kept - 1; i >= 1; --i) {
    copy.Started = base.Started - static_cast<std::int64_t>(i) * 86400;
    copy.Finished = copy.Started + (base.Finished - base.Started);
    GrowSomeFolders(copy, random, 300);
    if (!db.Store(copy)) {
      std::fprintf(stderr, "cannot store: %s\n", db.Error().c_str());
      return false;
    }
  }
  return db.DeleteScans({scans[0].Id}, removed);
}

// Watches the window's messages for the scan's and the summary's end.
class TFlowWatch final : public QObject {
 public:
  QElapsedTimer Clock;
  qint64 ScanEnd = -1;
  qint64 SummaryEnd = -1;
  bool eventFilter(QObject*, QEvent* event) override {
    const auto type = static_cast<std::uint32_t>(event->type());
    if (type == WM_SCAN_FINISHED && ScanEnd < 0) ScanEnd = Clock.elapsed();
    if (type == WM_SUMMARY_FINISHED && SummaryEnd < 0) SummaryEnd = Clock.elapsed();
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: vellumetric-changes-bench DIR [KEPT]\n");
    return 2;
  }
  const int kept = argc == 3 ? std::atoi(argv[2]) : 100;
  if (kept < 2) return 2;
  PrepareMemoryForScans();
  QApplication app(argc, argv);
  TMainForm form;
  form.show();
  QApplication::processEvents();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(argv[1]);
  if (!RunUntil([&] { return InResults(a); })) return 1;
  a.History->WaitIdle();
  if (!FillHistory(TScanHistoryHook::StandardDatabasePath(), kept)) return 1;
  a.BackClick();
  if (!RunUntil([&] { return a.QuickInfo != nullptr; })) return 1;

  TFlowWatch watch;
  a.installEventFilter(&watch);
  qint64 lastBeat = 0, tabStall = 0, summaryStall = 0, filled = -1, comparing = -1;
  QTimer beat;
  beat.setInterval(1);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = watch.Clock.elapsed();
    const qint64 gap = now - lastBeat;
    lastBeat = now;
    if (watch.ScanEnd < 0) return;
    if (gap > 20 && std::getenv("VLM_BENCH_GAPS")) {
      std::printf("gap of %lld ms ending %lld ms after the scan's end\n",
                  static_cast<long long>(gap), static_cast<long long>(now - watch.ScanEnd));
    }
    if (comparing < 0 && a.ChangesTab->IsShown()) comparing = now;
    if (filled < 0) {
      tabStall = std::max(tabStall, gap);
      if (a.ChangesTab->ShownDiff()) filled = now;
    }
    if (watch.SummaryEnd < 0 || a.SummaryBusy.load()) summaryStall = std::max(summaryStall, gap);
    if (filled >= 0 && watch.SummaryEnd >= 0 && !a.SummaryBusy.load()) app.quit();
  });
  watch.Clock.start();
  beat.start();
  a.ScanFolder(argv[1]);
  app.exec();
  const TScanDiff& diff = *a.ChangesTab->ShownDiff();
  std::printf("kept scans of the root       %d\n", kept);
  std::printf("folders per scan             %u\n",
              a.FolderTree.Data(a.FolderTree.FirstChild(NoNode)).FolderCount + 1);
  std::printf("tab shown (Comparing...)     %lld ms after the scan's end\n",
              static_cast<long long>(comparing - watch.ScanEnd));
  std::printf("tab filled                   %lld ms after the scan's end\n",
              static_cast<long long>(filled - watch.ScanEnd));
  std::printf("longest stall until filled   %lld ms\n", static_cast<long long>(tabStall));
  std::printf("longest stall until summary  %lld ms\n", static_cast<long long>(summaryStall));
  std::printf("listed                       %zu growth, %zu shrink, %zu new, %zu gone\n",
              diff.GrowthCount, diff.ShrinkCount, diff.AddedCount, diff.RemovedCount);
  return 0;
}
