// Times the map of a real folder: scan it once with the core, then lay out and render the map
// at the given size a number of times and print the median of each step.
//   vellumetric-treemap-bench PATH [--width W] [--height H] [--runs N] [--png FILE]
//                             [--scan-only [--no-records]] [--show] [--ridge H --falloff F]
// --show opens the map in a window of W x H instead (for trying it and for screenshots): a click
// prints the folder's path, a double-click the file's path.
// --scan-only stops after the scan (for the peak memory of the scan's structures under
// /usr/bin/time -v); --no-records scans without file records, for the difference.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/TCliSession.h"
#include "filetypes/DefaultFileTypes.h"
#include "treemap/TTreemapLayout.h"
#include "ui/paint/TTreemapColours.h"
#include "ui/paint/TreemapRendering.h"
#include "ui/results/map/TTreemapView.h"

using namespace Vellumetric;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

int Show(TCliSession& session, const TFileExtDescList& groups, int width, int height) {
  // Largest first, as the folder view shows the tree.
  session.Tree().SortAll(
      [](const TFolderData& a, const TFolderData& b) { return a.Size > b.Size; });
  TTreemapView view;
  view.setWindowTitle(QStringLiteral("Map"));
  view.OnFolderClicked = [&](TNodeId id) {
    std::printf("folder %s\n", session.Tree().Data(id).Path.Str().c_str());
    std::fflush(stdout);
  };
  view.OnOpenFileLocation = [](const std::string& path) {
    std::printf("open %s\n", path.c_str());
    std::fflush(stdout);
  };
  view.SetScan(&session.Tree(), &session.FileRecords(), 0, groups, session.Style());
  view.resize(width, height);
  view.show();
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  std::string path, png;
  int width = 1600, height = 400, runs = 11;
  bool scanOnly = false, records = true, show = false;
  TTreemapOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--width" && more) {
      width = std::atoi(argv[++i]);
    } else if (a == "--height" && more) {
      height = std::atoi(argv[++i]);
    } else if (a == "--runs" && more) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--scan-only") {
      scanOnly = true;
    } else if (a == "--ridge" && more) {
      options.RidgeHeight = std::atof(argv[++i]);
    } else if (a == "--falloff" && more) {
      options.RidgeFalloff = std::atof(argv[++i]);
    } else if (a == "--show") {
      show = true;
    } else if (a == "--no-records") {
      records = false;
    } else if (a == "--png" && more) {
      png = argv[++i];
    } else if (a.starts_with("--")) {
      path.clear();
      break;
    } else {
      path = a;
    }
  }
  if (path.empty() || width <= 0 || height <= 0) {
    std::fprintf(stderr, "usage: %s PATH [--width W] [--height H] [--runs N] [--png FILE]\n",
                 argv[0]);
    return 2;
  }
  std::unique_ptr<QApplication> app;
  if (show) app = std::make_unique<QApplication>(argc, argv);
  const TFileExtDescList groups = DefaultGroupList();
  TCliSession session(groups, DefaultExtensionList(), false);
  session.SetKeepFileRecords(records);
  auto start = std::chrono::steady_clock::now();
  if (!session.Scan(path, false)) return 1;
  const double scanMs = MsSince(start);
  if (scanOnly) {
    std::printf("%s: %zu folders, %zu file records, scan %.0f ms\n", path.c_str(),
                session.Tree().Count(), session.FileRecords().Count(), scanMs);
    return 0;
  }
  if (show) return Show(session, groups, width, height);
  const TFolderTree& tree = session.Tree();
  const TFileRecordStore& files = session.FileRecords();
  const TTreemapColours colours(groups);

  std::vector<double> layoutMs, renderMs, totalMs;
  TTreemapLayout layout;
  TTreemapPicture picture;
  for (int r = 0; r < runs; ++r) {
    start = std::chrono::steady_clock::now();
    layout.Build(tree, files, 0, {0, 0, double(width), double(height)}, options);
    const double l = MsSince(start);
    const auto paint = std::chrono::steady_clock::now();
    picture = RenderTreemap(layout, colours, QSize(width, height));
    renderMs.push_back(MsSince(paint));
    layoutMs.push_back(l);
    totalMs.push_back(MsSince(start));
  }
  const std::size_t entries = tree.Count() - 1 + files.Count();
  std::printf("%s: %zu entries (%zu files, %zu folders), scan %.0f ms\n", path.c_str(), entries,
              files.Count(), tree.Count() - 1, scanMs);
  std::printf("map %dx%d: %zu tiles; median of %d: layout %.1f ms + paint %.1f ms = %.1f ms\n",
              width, height, layout.Tiles().size(), runs, Median(layoutMs), Median(renderMs),
              Median(totalMs));
  std::printf("file records: %zu bytes, %.1f bytes per file\n", files.MemoryBytes(),
              files.Count() ? double(files.MemoryBytes()) / double(files.Count()) : 0.0);
  if (!png.empty() && !picture.Image.save(QString::fromStdString(png), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", png.c_str());
    return 1;
  }
  return 0;
}
