// Renders the save, open, options (list and edit panel) and help windows with sample content
// into PNG files, for scripts/screenshots: `window-shots OUTPUT_FOLDER SUFFIX [TREE]`. With TREE,
// the program's window scans it and the whole screen is saved with the Map tab open (the summary
// panel made half the window's height) and the pointer's tooltip on the biggest file
// (map-SUFFIX), then after a click on that file (map-click-SUFFIX), then the Find tab, the map
// outlining what it found, that map in a dark palette and the export dialog (FindShots). Then, as
// a user would, a big file is added three levels down and TREE scanned again: the screen with the
// Changes tab open (changes-SUFFIX), after a click on its first growth spot
// (changes-click-SUFFIX), and the Scan History window (history-SUFFIX); the file is removed again
// afterwards. With `window-shots OUTPUT_FOLDER SUFFIX --results BIG_TREE TREE` instead, the scan
// view and the results view's pages in the program's window (see ResultsShots). With
// `window-shots OUTPUT_FOLDER SUFFIX --on-disk TREE`, TREE scanned as a drive by both measures
// (see OnDiskShots). With `window-shots OUTPUT_FOLDER SUFFIX --statistics TREE`, the Statistics
// tab after a scan of TREE (see StatisticsShots). With
// `window-shots --totals TREE`, only the root's totals after the window's scan of TREE. The data
// folder is whatever XDG_DATA_HOME says; the script points it into a temporary folder.
#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "filetypes/VLMOptions.h"
#include "system/NativePlatform.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"
#include "system/TDirectoryLister.h"
#include "system/TextEncoding.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/dialogs/TScanHistoryForm.h"
#include "ui/dialogs/TVLMHelpForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/windows/TMainForm.h"

using namespace Vellumetric;

namespace {

void Shot(QWidget& window, const QString& folder, const QString& name) {
  window.show();
  QApplication::processEvents();
  window.grab().save(folder + "/" + name + ".png");
  window.hide();
}

template <class Done>
bool RunUntil(Done done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 120000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

void SaveScreen(const QString& file) {
  QApplication::processEvents();
  QApplication::primaryScreen()->grabWindow(0).save(file);
}

// A dark window palette, as a dark desktop theme gives one.
QPalette DarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
  dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
  dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  return dark;
}

// The Find tab with shared libraries over 20 KB looked for (find-SUFFIX), the map outlining the
// folders of the matches (map-find-SUFFIX), the same map in a dark palette (map-dark-SUFFIX) and
// the export dialog (export-SUFFIX).
bool FindShots(TVLMAnalyzerForm& a, const QString& out, const QString& suffix) {
  if (!a.ShowFind()) return false;
  a.FindTab->NameEdit->setText(QStringLiteral("*.so"));
  a.FindTab->MinEdit->setText(QStringLiteral("20K"));
  if (!RunUntil([&] { return !a.FindTab->Searching(); })) return false;
  SaveScreen(out + "/find-" + suffix + ".png");
  a.PageControl1->setCurrentWidget(a.MapTab->TabSheet);
  SaveScreen(out + "/map-find-" + suffix + ".png");
  const QPalette light = QApplication::palette();
  // Every widget hears of the new palette and repaints before the picture is taken.
  const auto settle = [] {
    RunUntil([clock = QElapsedTimer()]() mutable {
      if (!clock.isValid()) clock.start();
      return clock.elapsed() > 500;
    });
  };
  QApplication::setPalette(DarkPalette());
  settle();
  SaveScreen(out + "/map-dark-" + suffix + ".png");
  QApplication::setPalette(light);
  settle();
  QTimer::singleShot(500, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      dialog->grab().save(out + "/export-" + suffix + ".png");
      dialog->close();
    }
  });
  a.ShowExport();
  return true;
}

// The results of a scan of `tree` in the program's window, on the Map tab.
bool MapShots(const std::string& tree, const QString& out, const QString& suffix) {
  TMainForm form;
  form.setGeometry(QApplication::primaryScreen()->availableGeometry().adjusted(0, 30, 0, 0));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree);
  TTreemapView& map = *a.MapTab->Map;
  if (!RunUntil([&] { return !a.ProgressForm && !a.SummaryBusy; })) return false;
  // The summary panel dragged up to half the window, as one does to look at the map.
  const int height = a.Splitter1->height();
  a.Splitter1->setSizes({height / 2, height - height / 2});
  a.PageControl1->setCurrentIndex(2);  // the map is laid out once it is shown
  QApplication::processEvents();
  if (!RunUntil([&] { return map.CurrentLayout() && !map.RenderPending(); })) return false;
  // The biggest file: the tile of the largest area.
  const TTreemapTile* biggest = nullptr;
  for (const TTreemapTile& t : map.CurrentLayout()->Tiles()) {
    const auto area = [](const TTreemapTile& x) { return (x.X1 - x.X0) * (x.Y1 - x.Y0); };
    if (t.Kind() == TTreemapTileKind::File && (!biggest || area(t) > area(*biggest))) biggest = &t;
  }
  if (!biggest) return false;
  const QPoint at =
      map.MapRect().topLeft() + QPoint(static_cast<int>((biggest->X0 + biggest->X1) / 2),
                                       static_cast<int>((biggest->Y0 + biggest->Y1) / 2));
  QHelpEvent hover(QEvent::ToolTip, at, map.mapToGlobal(at));
  QApplication::sendEvent(&map, &hover);
  RunUntil([clock = QElapsedTimer()]() mutable {
    if (!clock.isValid()) clock.start();
    return clock.elapsed() > 500;
  });
  SaveScreen(out + "/map-" + suffix + ".png");
  QMouseEvent press(QEvent::MouseButtonPress, at, map.mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&map, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, map.mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&map, &release);
  SaveScreen(out + "/map-click-" + suffix + ".png");
  return FindShots(a, out, suffix);
}

// The disk's own lister, held at the first folder below the root until let go: the scan view stays
// up for its picture however fast the disk answers.
class THeldLister final : public TDirectoryLister {
 public:
  THeldLister(std::unique_ptr<TDirectoryLister> inner, const std::atomic<bool>& hold)
      : Inner(std::move(inner)), Hold(hold) {}
  TPathStyle Style() const override { return Inner->Style(); }
  bool ListsByFullPath() const override { return Inner->ListsByFullPath(); }
  bool EnterRoot(std::string_view path, bool stay) override { return Inner->EnterRoot(path, stay); }
  bool EnterChild(std::string_view name, std::string_view fullPath) override {
    while (Hold.load()) QThread::msleep(5);
    return Inner->EnterChild(name, fullPath);
  }
  bool Next(TDirEntry& entry) override { return Inner->Next(entry); }
  void Leave() override { Inner->Leave(); }
  std::int32_t LastError() const override { return Inner->LastError(); }

 private:
  std::unique_ptr<TDirectoryLister> Inner;
  const std::atomic<bool>& Hold;
};

// The program's window at its own size and place: the scan view while `big` is scanned, then the
// results of `tree` with the folders opened two levels down and the General, Detail (its largest
// group opened) and Map pages, each saved as results-PAGE-SUFFIX; the scan view as scan-SUFFIX.
bool ResultsShots(const std::string& big, const std::string& tree, const QString& out,
                  const QString& suffix) {
  std::atomic<bool> hold{true};
  TAnalyzerServices services;
  services.Listers = [&hold] {
    return std::make_unique<THeldLister>(CreateDirectoryLister(), hold);
  };
  TMainForm form(std::nullopt, services);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(big);
  // Some turns of the sweep, with the walk held in its first folder.
  RunUntil([clock = QElapsedTimer()]() mutable {
    if (!clock.isValid()) clock.start();
    return clock.elapsed() > 1500;
  });
  SaveScreen(out + "/scan-" + suffix + ".png");
  hold = false;
  const auto done = [&] { return !a.ProgressForm && !a.SummaryBusy && !a.WorkPending(); };
  if (!RunUntil(done)) return false;
  a.BackClick();
  if (!RunUntil([&] { return a.QuickInfo != nullptr; })) return false;
  a.ScanFolder(tree);
  TTreemapView& map = *a.MapTab->Map;
  if (!RunUntil(done)) return false;
  a.VirtualStringTree->expandToDepth(1);
  // The root keeps the selection (it has no bar); the folders below it show theirs.
  a.VirtualStringTree->setCurrentIndex(a.FolderView->Model->index(0, 0, {}));
  a.PageControl1->setCurrentIndex(0);
  SaveScreen(out + "/results-general-" + suffix + ".png");
  a.PageControl1->setCurrentIndex(1);
  a.VirtualStringTree2->expand(a.Summary->DetailModel->index(0, 0, {}));
  SaveScreen(out + "/results-detail-" + suffix + ".png");
  a.PageControl1->setCurrentIndex(2);
  if (!RunUntil([&] { return map.CurrentLayout() && !map.RenderPending(); })) return false;
  SaveScreen(out + "/results-map-" + suffix + ".png");
  return true;
}

// `tree` scanned as if it were a drive (the drive's facts are those of the volume that holds it),
// the folders opened: the drive page with what the scan did not find of the volume's used space
// and the General page (ondisk-size-SUFFIX), then measured by what the files take on disk
// (ondisk-disk-SUFFIX), the Detail page (ondisk-detail-SUFFIX), the map with the tooltip of its
// biggest tile (ondisk-map-SUFFIX) and the Find results of every file, largest on disk first,
// with the tooltip of the first (ondisk-find-SUFFIX).
bool OnDiskShots(const std::string& tree, const QString& out, const QString& suffix) {
  TAnalyzerServices services;
  services.BuildDisks = [tree](TDiskList& disks) {
    disks.resize(1);
    disks[0].Name = "Showcase (" + tree + ")";
    disks[0].RootPath = tree;
  };
  TMainForm form(std::nullopt, services);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  const auto done = [&] { return !a.ProgressForm && !a.SummaryBusy && !a.WorkPending(); };
  a.DriveOpen(0);
  if (!RunUntil(done)) return false;
  a.VirtualStringTree->expandToDepth(0);
  SaveScreen(out + "/ondisk-size-" + suffix + ".png");
  a.MeasureButton->click();
  if (!RunUntil(done)) return false;
  SaveScreen(out + "/ondisk-disk-" + suffix + ".png");
  a.PageControl1->setCurrentIndex(1);
  a.VirtualStringTree2->expand(a.Summary->DetailModel->index(0, 0, {}));
  SaveScreen(out + "/ondisk-detail-" + suffix + ".png");
  a.PageControl1->setCurrentWidget(a.MapTab->TabSheet);
  TTreemapView& map = *a.MapTab->Map;
  if (!RunUntil([&] { return map.CurrentLayout() && !map.RenderPending(); })) return false;
  const TTreemapTile* biggest = nullptr;
  const auto area = [](const TTreemapTile& x) { return (x.X1 - x.X0) * (x.Y1 - x.Y0); };
  for (const TTreemapTile& t : map.CurrentLayout()->Tiles()) {
    if (t.Kind() == TTreemapTileKind::File && (!biggest || area(t) > area(*biggest))) biggest = &t;
  }
  if (!biggest) return false;
  const QPoint at =
      map.MapRect().topLeft() + QPoint(static_cast<int>((biggest->X0 + biggest->X1) / 2),
                                       static_cast<int>((biggest->Y0 + biggest->Y1) / 2));
  QToolTip::showText(map.mapToGlobal(at), map.TileText(*biggest), &map);
  SaveScreen(out + "/ondisk-map-" + suffix + ".png");
  QToolTip::hideText();
  if (!a.ShowFind()) return false;
  a.FindTab->NameEdit->setText(QStringLiteral("*"));
  if (!RunUntil([&] { return !a.FindTab->Searching(); })) return false;
  // The tooltip of the first name of a file with several not counted on disk, else of the first
  // file whose tooltip says more than its path.
  QTreeView* list = a.FindTab->List;
  QModelIndex shown;
  for (int row = 0; row < a.FindTab->Model->rowCount({}); ++row) {
    const QModelIndex index = a.FindTab->Model->index(row, 0, {});
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.contains(QStringLiteral("counted once at"))) {
      shown = index;
      break;
    }
    if (!shown.isValid() && tip.contains(QLatin1Char('\n'))) shown = index;
  }
  if (shown.isValid()) {
    list->scrollTo(shown);
    QToolTip::showText(list->viewport()->mapToGlobal(list->visualRect(shown).center()),
                       shown.data(Qt::ToolTipRole).toString(), list);
  }
  SaveScreen(out + "/ondisk-find-" + suffix + ".png");
  QToolTip::hideText();
  return true;
}

// Scans `tree` through the program's window and prints the root's totals as the window holds
// them: bytes, files and folders, for comparing one build's window with another's.
bool PrintWindowTotals(const std::string& tree) {
  TMainForm form;
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree);
  if (!RunUntil([&] { return !a.ProgressForm && !a.SummaryBusy && !a.WorkPending(); })) {
    return false;
  }
  const TNodeId root = a.FolderTree.FirstChild(NoNode);
  if (root == NoNode) return false;
  const TFolderData& d = a.FolderTree.Data(root);
  std::printf("%llu bytes, %u files, %u folders\n", static_cast<unsigned long long>(d.Size),
              d.FileCount, d.FolderCount);
  return d.Complete;
}

// The folder three levels below `tree` whose path sorts first: the same on every run.
std::string ThreeLevelsDown(const std::string& tree) {
  namespace fs = std::filesystem;
  std::string first;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(tree, ec), end; it != end; it.increment(ec)) {
    if (it.depth() > 2) {
      it.disable_recursion_pending();
    } else if (it.depth() == 2 && it->is_directory(ec) &&
               (first.empty() || it->path().string() < first)) {
      first = it->path().string();
    }
  }
  return first;
}

// A second scan of `tree` with a big file added three levels down, on the Changes tab, and the
// history window with both scans.
bool ChangesShots(const std::string& tree, const QString& out, const QString& suffix) {
  const std::string folder = ThreeLevelsDown(tree);
  if (folder.empty()) return false;
  const std::string big = folder + "/big-" + suffix.toStdString() + ".iso";
  std::ofstream(big, std::ios::binary).close();
  std::error_code ec;
  std::filesystem::resize_file(big, 3ull << 30, ec);  // sparse: no disk space taken
  if (ec) return false;
  TMainForm form;
  form.setGeometry(QApplication::primaryScreen()->availableGeometry().adjusted(0, 30, 0, 0));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree);
  TChangesTab& tab = *a.ChangesTab;
  const bool done = RunUntil([&] { return !a.WorkPending() && tab.ShownDiff(); });
  std::filesystem::remove(big, ec);
  if (!done) return false;
  const int height = a.Splitter1->height();
  a.Splitter1->setSizes({height / 2, height - height / 2});
  a.PageControl1->setCurrentWidget(tab.TabSheet);
  SaveScreen(out + "/changes-" + suffix + ".png");
  const QModelIndex first = tab.Model->index(1, 0, {});
  QTest::mouseClick(tab.List->viewport(), Qt::LeftButton, {}, tab.List->visualRect(first).center());
  SaveScreen(out + "/changes-click-" + suffix + ".png");
  TScanHistoryForm history(
      &a, [&a](TScanHistoryRecorder::TTask task) { return a.History->Post(std::move(task)); },
      nullptr);
  history.show();
  if (!RunUntil([&] { return !history.IsLoading(); })) return false;
  history.grab().save(out + "/history-" + suffix + ".png");
  return true;
}

// The Statistics tab after a scan of `tree`: the charts with the tooltip of the tallest size bar
// (statistics-SUFFIX), the same in the dark palette (statistics-dark-SUFFIX) and the tables behind
// the toggle (statistics-tables-SUFFIX).
bool StatisticsShots(const std::string& tree, const QString& out, const QString& suffix) {
  TMainForm form;
  form.setGeometry(QApplication::primaryScreen()->availableGeometry().adjusted(0, 30, 0, 0));
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree);
  TStatisticsTab& stats = *a.StatsTab;
  if (!RunUntil([&] {
        return !a.ProgressForm && !a.SummaryBusy && !stats.Computing() && stats.Shown();
      })) {
    return false;
  }
  const int height = a.Splitter1->height();
  a.Splitter1->setSizes({height / 3, height - height / 3});
  a.PageControl1->setCurrentWidget(stats.TabSheet);
  const auto settle = [] {
    RunUntil([clock = QElapsedTimer()]() mutable {
      if (!clock.isValid()) clock.start();
      return clock.elapsed() > 500;
    });
  };
  settle();
  const std::vector<double>& values = stats.SizeChart->Bars().Values;
  if (values.empty()) return false;
  const auto tallest =
      static_cast<std::size_t>(std::max_element(values.begin(), values.end()) - values.begin());
  const TBarChartLayout layout = stats.SizeChart->CurrentPicture().Layout;
  const QPoint at(static_cast<int>((layout.BarLeft[tallest] + layout.BarRight[tallest]) / 2),
                  static_cast<int>(layout.Bottom) - 4);
  QHelpEvent hover(QEvent::ToolTip, at, stats.SizeChart->mapToGlobal(at));
  QApplication::sendEvent(stats.SizeChart, &hover);
  settle();
  SaveScreen(out + "/statistics-" + suffix + ".png");
  QToolTip::hideText();
  const QPalette light = QApplication::palette();
  QApplication::setPalette(DarkPalette());
  settle();
  SaveScreen(out + "/statistics-dark-" + suffix + ".png");
  QApplication::setPalette(light);
  stats.TablesToggle->setChecked(true);
  settle();
  SaveScreen(out + "/statistics-tables-" + suffix + ".png");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--totals") {
    std::string message;
    if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) return 1;
    return PrintWindowTotals(argv[2]) ? 0 : 1;
  }
  if (argc < 3) return 2;
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString suffix = QString::fromLocal8Bit(argv[2]);
  if (argc == 5 && std::string(argv[3]) == "--on-disk") {
    std::string message;
    if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) return 1;
    return OnDiskShots(argv[4], out, suffix) ? 0 : 1;
  }
  if (argc == 5 && std::string(argv[3]) == "--statistics") {
    std::string message;
    if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) return 1;
    return StatisticsShots(argv[4], out, suffix) ? 0 : 1;
  }
  if (argc == 6 && std::string(argv[3]) == "--results") {
    std::string message;
    if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) return 1;
    return ResultsShots(argv[4], argv[5], out, suffix) ? 0 : 1;
  }
  std::string message;
  if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) return 1;
  const std::string backup = GetBackupFolder();
  for (const char* name : {"Drive_root.sbf", "Photos.sbf", "Ann's Fotos \xc3\xa9t\xc3\xa9.sbf"}) {
    std::ofstream(Utf8Path(JoinNativePath(backup, name))) << "0\r\n/\r\n";
  }
  // Qt scales the windows by the device pixel ratio; the screen's own resolution picks images.
  const QScreen* screen = app.primaryScreen();
  const int screenDpi =
      static_cast<int>(std::lround(screen->logicalDotsPerInchX() * screen->devicePixelRatio()));
  const int dpi = static_cast<int>(std::lround(screenDpi / screen->devicePixelRatio()));
  QObject analyzer;
  std::string text;
  bool ascending = false;
  // The folder a user of each system would have scanned.
  const QString scanned = NativePathStyle() == TPathStyle::Windows
                              ? QStringLiteral("C:\\Users\\Ann\\Photos")
                              : QStringLiteral("/home/ann/Photos");
  TSaveSummaryForm save(nullptr, scanned, text, &analyzer, backup);
  Shot(save, out, "save-" + suffix);
  TOpenSummaryForm open(nullptr, &analyzer, text, QStringLiteral("  Open Saved Summary  "), backup,
                        ascending);
  Shot(open, out, "open-" + suffix);
  TFileExtDescList groups;
  TFileExtList extensions;
  const std::string db = JoinNativePath(ApplicationInfo().DataFolder(), VLMOptions::FileName);
  {
    VLMOptions options(db, [](const std::string&) {});
    static_cast<void>(options.LoadGroups(groups));
    static_cast<void>(options.LoadExtensions(extensions));
  }
  TVLMOptionsForm options(nullptr, groups, extensions, db, dpi, screenDpi);
  Shot(options, out, "options-" + suffix);
  options.ListView1->topLevelItem(5)->setSelected(true);
  options.ToolButton1Click();
  Shot(options, out, "options-edit-" + suffix);
  TVLMHelpForm help(nullptr, HelpFolder());
  Shot(help, out, "help-" + suffix);
  if (argc > 3 && !MapShots(argv[3], out, suffix)) return 1;
  if (argc > 3 && !ChangesShots(argv[3], out, suffix)) return 1;
  return 0;
}
