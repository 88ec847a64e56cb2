// Measures the desktop program's scan and summary flow on a tree: how long from the scan's end
// message until the sorted folder tree has been painted, the longest the window's event loop
// was kept from running during the scan and during the summary, when the Map tab shows the
// scan's map, and the peak memory (the map's layout and picture included).
//   vellumetric-window-bench DIR
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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

// Watches the messages of the flow and the folder view's first paint after the scan's end.
class TFlowWatch final : public QObject {
 public:
  QElapsedTimer Clock;
  qint64 ScanEnd = -1;
  qint64 TreePainted = -1;
  qint64 SummaryEnd = -1;
  QWidget* Viewport = nullptr;

  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto type = static_cast<std::uint32_t>(event->type());
    if (type == Vellumetric::WM_SCAN_FINISHED && ScanEnd < 0) ScanEnd = Clock.elapsed();
    if (type == Vellumetric::WM_SUMMARY_FINISHED && SummaryEnd < 0) SummaryEnd = Clock.elapsed();
    if (watched == Viewport && event->type() == QEvent::Paint && ScanEnd >= 0 && TreePainted < 0) {
      // Taken when the loop is back, so the paint itself is counted.
      QTimer::singleShot(0, this, [this] { TreePainted = Clock.elapsed(); });
      TreePainted = -2;
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vellumetric-window-bench DIR\n");
    return 2;
  }
  Vellumetric::PrepareMemoryForScans();  // as the program's main() does
  QApplication app(argc, argv);
  Vellumetric::TMainForm form;
  form.show();
  QCoreApplication::processEvents();
  Vellumetric::TVLMAnalyzerForm& analyzer = *form.Analyzer;
  TFlowWatch watch;
  watch.Viewport = analyzer.VirtualStringTree->viewport();
  analyzer.installEventFilter(&watch);
  watch.Viewport->installEventFilter(&watch);

  // A 1 ms heartbeat: the longest gap between beats is the longest stall of the loop.
  qint64 lastBeat = 0, scanStall = 0, summaryStall = 0, mapShown = -1;
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
        analyzer.PageControl1->setCurrentIndex(2);  // the Map tab, as the user opens it
        mapAsked = true;
      }
    } else if (mapAsked && map.CurrentLayout() != nullptr && !map.RenderPending()) {
      mapShown = now;
      app.quit();
    }
  });
  watch.Clock.start();
  beat.start();
  analyzer.ScanFolder(argv[1]);
  app.exec();
  std::printf("scan end message at      %lld ms\n", static_cast<long long>(watch.ScanEnd));
  std::printf("sorted tree painted after %lld ms\n",
              static_cast<long long>(watch.TreePainted - watch.ScanEnd));
  std::printf("summary end message at   %lld ms\n", static_cast<long long>(watch.SummaryEnd));
  std::printf("longest stall in scan    %lld ms\n", static_cast<long long>(scanStall));
  std::printf("longest stall in summary %lld ms\n", static_cast<long long>(summaryStall));
  std::printf("map shown at             %lld ms (%zu tiles)\n", static_cast<long long>(mapShown),
              map.CurrentLayout() ? map.CurrentLayout()->Tiles().size() : 0);
  std::printf("peak memory              %ld KiB\n", PeakKiB());
  std::printf("typed files              %zu\n", analyzer.TypedFiles.size());
  return 0;
}
