// Measures the desktop program's scan and summary flow on a tree: how long from the scan's end
// message until the sorted folder tree has been painted, the longest the window's event loop
// was kept from running during the scan and during the summary, when the Map tab shows the
// scan's map, and the peak memory (the map's layout and picture included). Then the measure is
// switched to Size on Disk with the map shown, and at once back and forth again while the map
// for the first switch is still being laid out: the longest stall of the loop while switching,
// and when the map and the Detail page are by the last measure again. A watchdog times every
// event the loop hands out and names the three longest, with what they were sent to.
// Given a scan file (an ncdu export) instead of a folder, it opens the file as the program does,
// and also prints when the opened tree was painted counted from the process's start, to set
// beside a terminal tool's load of the same file.
//   vellumetric-window-bench DIR | FILE
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/VLMMessages.h"
#include "system/NativePlatform.h"
#include "ui/windows/TMainForm.h"

namespace {

long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// The program's own messages by name; Qt's events by number.
std::string EventName(const QEvent* event) {
  switch (static_cast<std::uint32_t>(event->type())) {
    case Vellumetric::WM_SCAN_FINISHED:
      return "WM_SCAN_FINISHED";
    case Vellumetric::WM_SUMMARY_FINISHED:
      return "WM_SUMMARY_FINISHED";
    case QEvent::MetaCall:
      return "queued call";
    case QEvent::Timer:
      return "timer";
    case QEvent::Paint:
      return "paint";
    case QEvent::UpdateRequest:
      return "update request";
    case QEvent::LayoutRequest:
      return "layout request";
    default:
      return "event " + std::to_string(static_cast<int>(event->type()));
  }
}

// Times each event the loop delivers (the outermost only: an event handled inside another's
// handler is part of that one's time), keeping the longest three.
class TWatchedApplication final : public QApplication {
 public:
  struct TSlice {
    qint64 Ms = 0;
    qint64 At = 0;
    std::string What;
  };
  TWatchedApplication(int& argc, char** argv) : QApplication(argc, argv) { Clock.start(); }

  bool notify(QObject* receiver, QEvent* event) override {
    if (Depth > 0) return QApplication::notify(receiver, event);
    const qint64 began = Clock.nsecsElapsed();
    std::string what = EventName(event) + " to " + receiver->metaObject()->className();
    if (!receiver->objectName().isEmpty()) what += " " + receiver->objectName().toStdString();
    ++Depth;
    const bool handled = QApplication::notify(receiver, event);
    --Depth;
    const qint64 ms = (Clock.nsecsElapsed() - began) / 1000000;
    if (Longest.size() < 3 || ms > Longest.back().Ms) {
      Longest.push_back({ms, began / 1000000, std::move(what)});
      std::stable_sort(Longest.begin(), Longest.end(),
                       [](const TSlice& a, const TSlice& b) { return a.Ms > b.Ms; });
      if (Longest.size() > 3) Longest.pop_back();
    }
    return handled;
  }

  QElapsedTimer Clock;
  std::vector<TSlice> Longest;

 private:
  int Depth = 0;
};

// Watches the messages of the flow and the folder view's first paint after the scan's end.
class TFlowWatch final : public QObject {
 public:
  QElapsedTimer Clock;
  qint64 ScanEnd = -1;
  qint64 TreePainted = -1;
  qint64 TreePaintedEpochMs = -1;  // for a clock started before the process was
  qint64 SummaryEnd = -1;
  long PeakAtScanEnd = -1;
  long PeakAtSummaryEnd = -1;
  QWidget* Viewport = nullptr;

  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto type = static_cast<std::uint32_t>(event->type());
    if (type == Vellumetric::WM_SCAN_FINISHED && ScanEnd < 0) {
      ScanEnd = Clock.elapsed();
      PeakAtScanEnd = PeakKiB();
    }
    if (type == Vellumetric::WM_SUMMARY_FINISHED && SummaryEnd < 0) {
      SummaryEnd = Clock.elapsed();
      PeakAtSummaryEnd = PeakKiB();
    }
    if (watched == Viewport && event->type() == QEvent::Paint && ScanEnd >= 0 && TreePainted < 0) {
      // Taken when the loop is back, so the paint itself is counted.
      QTimer::singleShot(0, this, [this] {
        TreePainted = Clock.elapsed();
        TreePaintedEpochMs = QDateTime::currentMSecsSinceEpoch();
      });
      TreePainted = -2;
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  if (argc != 2) {
    std::fprintf(stderr, "usage: vellumetric-window-bench DIR | FILE\n");
    return 2;
  }
  const bool scanFile = std::filesystem::is_regular_file(argv[1]);
  Vellumetric::PrepareMemoryForScans();  // as the program's main() does
  TWatchedApplication app(argc, argv);
  Vellumetric::TMainForm form;
  form.show();
  QCoreApplication::processEvents();
  Vellumetric::TVLMAnalyzerForm& analyzer = *form.Analyzer;
  TFlowWatch watch;
  qint64 startToClock = 0;
  watch.Viewport = analyzer.VirtualStringTree->viewport();
  analyzer.installEventFilter(&watch);
  watch.Viewport->installEventFilter(&watch);

  // A 1 ms heartbeat: the longest gap between beats is the longest stall of the loop.
  qint64 lastBeat = 0, scanStall = 0, summaryStall = 0, mapShown = -1, mapAskedAt = -1;
  qint64 switchStall = 0, switchedAt = -1, switchDone = -1;
  int switches = 0;
  long peakBeforeMap = -1;
  bool mapAsked = false;
  const Vellumetric::TTreemapView& map = *analyzer.MapTab->Map;
  QTimer beat;
  beat.setInterval(1);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = watch.Clock.elapsed();
    const qint64 gap = now - lastBeat;
    lastBeat = now;
    if (gap > 20 && std::getenv("VLM_BENCH_GAPS")) {
      std::printf("gap of %lld ms ending at %lld ms\n", static_cast<long long>(gap),
                  static_cast<long long>(now));
    }
    if (watch.ScanEnd < 0) {
      scanStall = std::max(scanStall, gap);
    } else if (watch.TreePainted >= 0 && !mapAsked) {
      // Up to the sorted Detail page shown (the busy flag goes down then).
      summaryStall = std::max(summaryStall, gap);
      if (watch.SummaryEnd >= 0 && !analyzer.SummaryBusy.load()) {
        peakBeforeMap = PeakKiB();
        analyzer.PageControl1->setCurrentIndex(2);  // the Map tab, as the user opens it
        mapAsked = true;
        mapAskedAt = now;
      }
    } else if (mapShown < 0 && mapAsked && map.CurrentLayout() != nullptr && !map.RenderPending()) {
      mapShown = now;
      switchedAt = now;
      analyzer.SetMeasure(Vellumetric::TMeasure::Disk);
      switches = 1;
    } else if (mapShown >= 0) {
      switchStall = std::max(switchStall, gap);
      // Back and forth on the next two beats, while the first switch's map is being laid out.
      if (switches < 3) {
        analyzer.SetMeasure(switches == 1 ? Vellumetric::TMeasure::Size
                                          : Vellumetric::TMeasure::Disk);
        ++switches;
      } else if (switches == 3 && map.CurrentLayout() != nullptr &&
                 map.CurrentLayout()->Measure() == Vellumetric::TMeasure::Disk &&
                 !map.RenderPending() && !analyzer.WorkPending()) {
        switchDone = now;
        app.quit();
      }
    }
  });
  watch.Clock.start();
  startToClock = sinceStart.elapsed();
  beat.start();
  // From the loop, as the program starts a scan or opens a file named on its command line.
  QTimer::singleShot(0, &analyzer, [&analyzer, argv, scanFile] {
    if (scanFile) {
      analyzer.OpenScanFile(argv[1]);
    } else {
      analyzer.ScanFolder(argv[1]);
    }
  });
  app.exec();
  std::printf("scan end message at      %lld ms\n", static_cast<long long>(watch.ScanEnd));
  std::printf("sorted tree painted after %lld ms\n",
              static_cast<long long>(watch.TreePainted - watch.ScanEnd));
  std::printf("tree shown since start   %lld ms\n",
              static_cast<long long>(startToClock + watch.TreePainted));
  std::printf("tree shown at epoch ms   %lld\n", static_cast<long long>(watch.TreePaintedEpochMs));
  std::printf("summary end message at   %lld ms\n", static_cast<long long>(watch.SummaryEnd));
  std::printf("longest stall in scan    %lld ms\n", static_cast<long long>(scanStall));
  std::printf("longest stall in summary %lld ms\n", static_cast<long long>(summaryStall));
  std::printf("map shown at             %lld ms (%zu tiles)\n", static_cast<long long>(mapShown),
              map.CurrentLayout() ? map.CurrentLayout()->Tiles().size() : 0);
  std::printf("map rendered in          %lld ms\n", static_cast<long long>(mapShown - mapAskedAt));
  std::printf(
      "measure switched 3 times: longest stall %lld ms, map and Detail by disk after %lld "
      "ms\n",
      static_cast<long long>(switchStall), static_cast<long long>(switchDone - switchedAt));
  std::printf("peak memory              %ld KiB\n", PeakKiB());
  std::printf("  by the scan's end        %ld KiB\n", watch.PeakAtScanEnd);
  std::printf("  by the summary's end     %ld KiB\n", watch.PeakAtSummaryEnd);
  std::printf("  before the map           %ld KiB\n", peakBeforeMap);
  std::printf("Detail page nodes        %zu\n", analyzer.Summary->DetailNodes.Count());
  for (const TWatchedApplication::TSlice& slice : app.Longest) {
    std::printf("long slice %5lld ms at %6lld ms: %s\n", static_cast<long long>(slice.Ms),
                static_cast<long long>(slice.At), slice.What.c_str());
  }
  if (const char* f = std::getenv("VLM_BENCH_SMAPS")) {
    std::ifstream in("/proc/self/smaps");
    std::ofstream out(f);
    out << in.rdbuf();
  }
  return 0;
}
