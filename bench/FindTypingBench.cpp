// Types patterns into the Find tab of the desktop program, a key at a time, over a scanned tree,
// and prints the longest stall of the window's event loop meanwhile: the time between two beats
// of a 1 ms timer. Keys come 60 to 400 ms apart, so some queries are replaced before they start,
// some while they run, and some answers (up to every file of the tree) reach the list between
// keys.
//   vellumetric-find-typing-bench DIR [PATTERN...]
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/windows/TMainForm.h"

namespace {

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

// The longest gap between two beats of a 1 ms timer, and when it ended.
struct THeartbeat {
  QElapsedTimer Clock;
  QTimer Beat;
  qint64 Last = 0;
  qint64 Longest = 0;
  qint64 LongestAt = 0;

  void Start() {
    Clock.start();
    Last = 0;
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
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vellumetric-find-typing-bench DIR [PATTERN...]\n");
    return 2;
  }
  std::vector<QString> patterns;
  for (int i = 2; i < argc; ++i) patterns.push_back(QString::fromLocal8Bit(argv[i]));
  if (patterns.empty()) {
    // From every file of the tree down to a handful, and back.
    patterns = {QStringLiteral("*"), QStringLiteral("*_1*.so"), QStringLiteral("data_12345")};
  }
  QApplication app(argc, argv);
  Vellumetric::TMainForm form;
  form.resize(1400, 950);
  form.show();
  Vellumetric::TVLMAnalyzerForm& a = *form.Analyzer;
  QElapsedTimer scan;
  scan.start();
  a.ScanFolder(argv[1]);
  if (!RunUntil([&] { return !a.ProgressForm && !a.SummaryBusy.load(); }, 600000)) return 1;
  std::printf("%s: %zu files, scanned and summed up in %.1f s\n", argv[1], a.FileRecords.Count(),
              scan.elapsed() / 1000.0);
  if (!a.ShowFind()) return 1;
  Vellumetric::TFindTabController& find = *a.FindTab;
  QApplication::processEvents();

  THeartbeat heart;
  heart.Start();
  qint64 worst = 0;
  const int pauses[] = {60, 400, 120, 90, 250, 160};
  for (const QString& pattern : patterns) {
    heart.Longest = 0;
    const qint64 started = heart.Clock.elapsed();
    find.NameEdit->clear();
    for (int i = 0; i < pattern.size(); ++i) {
      QTest::keyClick(find.NameEdit, pattern[i].toLatin1());
      const qint64 until = heart.Clock.elapsed() + pauses[i % 6];
      RunUntil([&] { return heart.Clock.elapsed() >= until; }, 10000);
    }
    if (!RunUntil([&] { return !find.Searching(); }, 120000)) return 1;
    QApplication::processEvents();
    const auto result = find.SharedResult();
    std::printf(
        "typed \"%s\" in %lld ms: %llu matches; longest event-loop gap %lld ms (at %lld ms)\n",
        pattern.toLocal8Bit().constData(), static_cast<long long>(heart.Clock.elapsed() - started),
        static_cast<unsigned long long>(result ? result->Count : 0),
        static_cast<long long>(heart.Longest), static_cast<long long>(heart.LongestAt - started));
    worst = std::max(worst, heart.Longest);
  }
  std::printf("longest event-loop gap while typing: %lld ms\n", static_cast<long long>(worst));
  return 0;
}
