// The Map tab of the results view, driven through the window on a real folder.
#include <gtest/gtest.h>

#include <QTest>

#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "filetypes/DefaultFileTypes.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

bool MapReady(const TTreemapView& map) {
  return map.CurrentLayout() != nullptr && !map.RenderPending();
}

// The centre of the file tile whose tooltip names `path`, in the view's coordinates.
QPoint TileCentre(const TTreemapView& map, const std::string& path) {
  const QString head = QString::fromStdString(path) + QLatin1Char('\n');
  for (const TTreemapTile& t : map.CurrentLayout()->Tiles()) {
    if (t.Kind() == TTreemapTileKind::File && map.TileText(t).startsWith(head)) {
      return map.MapRect().topLeft() +
             QPoint(static_cast<int>((t.X0 + t.X1) / 2), static_cast<int>((t.Y0 + t.Y1) / 2));
    }
  }
  return {-1, -1};
}

// Whether the outline's inner black line runs along all four sides of `folder`'s area: a pure
// black pixel within a few pixels inside each side, at its middle.
bool OutlinedAt(TTreemapView& map, TNodeId folder) {
  TTreemapRect r;
  if (!map.CurrentLayout()->FolderRect(folder, r)) return false;
  const QImage shot = map.grab().toImage();
  const QPoint origin = map.MapRect().topLeft();
  const int x0 = static_cast<int>(r.X0), x1 = static_cast<int>(r.X1);
  const int y0 = static_cast<int>(r.Y0), y1 = static_cast<int>(r.Y1);
  const int xm = (x0 + x1) / 2, ym = (y0 + y1) / 2;
  auto blackNear = [&](int x, int y, int dx, int dy) {
    for (int step = 0; step < 4; ++step, x += dx, y += dy) {
      const QPoint p = origin + QPoint(x, y);
      if (shot.rect().contains(p) && (shot.pixel(p) & 0xffffff) == 0) return true;
    }
    return false;
  };
  return blackNear(x0, ym, 1, 0) && blackNear(x1 - 1, ym, -1, 0) && blackNear(xm, y0, 0, 1) &&
         blackNear(xm, y1 - 1, 0, -1);
}

TEST(MapTab, ClickFocusesTheFolderInTheTreeWhichOutlinesItsAreaOnTheMap) {
  TTempDir tree;
  for (const char* folder : {"a/sub/deep", "b/e", "many"}) MakeFolders(tree / folder);
  MakeFile(tree / "a/sub/deep/big.mp4", 5 << 20);
  MakeFile(tree / "a/x.txt", 100);
  MakeFile(tree / "b/d.mp3", 2 << 20);
  MakeFile(tree / "b/e/f.jpg", 1 << 20);
  MakeFile(tree / "root.doc", 10 << 10);
  for (int i = 0; i < 25; ++i) MakeFile(tree / ("many/f" + std::to_string(i) + ".bin"), 1000 + i);

  TMainForm form(96, ServicesWithDefaults());
  form.resize(1200, 900);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree.Path());
  ASSERT_TRUE(RunUntil([&] { return Settled(a); }));
  // General, Detail, Map, Find, Duplicates, Statistics and Changes (hidden here).
  ASSERT_EQ(a.PageControl1->count(), 7);
  EXPECT_EQ(a.PageControl1->tabText(2), "Map");
  EXPECT_FALSE(a.PageControl1->isTabVisible(a.PageControl1->indexOf(a.ChangesTab->TabSheet)));
  // Behind another tab the map waits: no layout is held until the user opens it.
  TTreemapView& map = *a.MapTab->Map;
  QTest::qWait(200);
  EXPECT_EQ(map.CurrentLayout(), nullptr);
  EXPECT_TRUE(map.RenderPending());
  a.PageControl1->setCurrentIndex(2);
  ASSERT_TRUE(RunUntil([&] { return MapReady(map); }));
  ASSERT_GT(map.MapRect().height(), 50);

  // A click on the biggest file: its folder, three levels down, becomes the tree's current
  // node (its parents opened) and its page is shown.
  const std::string deep = tree / "a/sub/deep";
  const std::string big = tree / "a/sub/deep/big.mp4";
  const QPoint bigAt = TileCentre(map, big);
  ASSERT_TRUE(map.MapRect().contains(bigAt));
  QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier, bigAt);
  const TFolderTreeModel& folders = *a.FolderView->Model;
  const QModelIndex current = a.VirtualStringTree->currentIndex();
  const TNodeId deepNode = folders.NodeOf(current);
  ASSERT_NE(deepNode, NoNode);
  EXPECT_EQ(a.FolderTree.Data(deepNode).Path.Str(), deep);
  EXPECT_TRUE(a.VirtualStringTree->isExpanded(current.parent()));
  EXPECT_TRUE(a.VirtualStringTree->isExpanded(current.parent().parent()));
  EXPECT_EQ(a.ListView1->Cell(1, 1), QString::fromStdString(deep));
  EXPECT_EQ(a.CurrentPath, deep);
  EXPECT_TRUE(OutlinedAt(map, deepNode));

  // Focusing another folder in the tree moves the outline there.
  const QModelIndex b = folders.index(1, 0, folders.index(0, 0, {}));
  ASSERT_EQ(a.FolderTree.Data(folders.NodeOf(b)).Path.Str(), tree / "b");
  a.VirtualStringTree->setCurrentIndex(b);
  EXPECT_TRUE(OutlinedAt(map, folders.NodeOf(b)));
  EXPECT_FALSE(OutlinedAt(map, deepNode));

  // Re-sorting the tree (header click) while the map renders leaves the map as it was: the
  // same file under the same pixel.
  map.resize(map.width() - 20, map.height());  // starts a render at the new size
  a.FolderView->HeaderClick(Qt::LeftButton);
  ASSERT_TRUE(RunUntil([&] { return MapReady(map); }));
  const TTreemapTile* tile = map.TileAt(TileCentre(map, big));
  ASSERT_TRUE(tile);
  EXPECT_TRUE(map.TileText(*tile).startsWith(QString::fromStdString(big + "\n")));

  // A new scan clears the map before the worker refills the tree, then shows the new one.
  a.BackClick();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  a.ScanFolder(tree / "b");
  EXPECT_EQ(map.CurrentLayout(), nullptr);
  ASSERT_TRUE(RunUntil([&] { return Settled(a); }));
  a.PageControl1->setCurrentIndex(2);
  ASSERT_TRUE(RunUntil([&] { return MapReady(map); }));
  EXPECT_TRUE(map.MapRect().contains(TileCentre(map, tree / "b/d.mp3")));
  EXPECT_FALSE(map.MapRect().contains(TileCentre(map, big)));
}

// Shading scales every channel of a colour by the same factor.
bool IsShadeOf(QRgb pixel, QRgb base) {
  const int top = std::max({qRed(base), qGreen(base), qBlue(base)});
  const double k = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) / double(top);
  return k > 0.2 && std::abs(qRed(pixel) - qRed(base) * k) <= 3 &&
         std::abs(qGreen(pixel) - qGreen(base) * k) <= 3 &&
         std::abs(qBlue(pixel) - qBlue(base) * k) <= 3;
}

TEST(MapTab, FilesOfNoGroupTakeTheColoursOfTheirExtensionsWhichTheLegendListsWithTheirShare) {
  TTempDir tree;
  MakeFolders(tree / "lib");
  MakeFolders(tree / "video");
  // No default group knows .so, .a or .xyz; .mp4 is a video. Extension case does not matter.
  MakeFile(tree / "lib/libbig.so", 4 << 20);
  MakeFile(tree / "lib/LIBSMALL.SO", 1 << 20);
  MakeFile(tree / "lib/libstatic.a", 3 << 20);
  MakeFile(tree / "data.xyz", 2 << 20);
  MakeFile(tree / "video/clip.mp4", 3 << 20);
  MakeFile(tree / "README", 2 << 20);  // no extension: stays grey
  const double total = 15 << 20;

  TMainForm form(96, ServicesWithDefaults());
  form.resize(1200, 900);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree.Path());
  ASSERT_TRUE(RunUntil([&] { return Settled(a); }));
  a.PageControl1->setCurrentIndex(a.PageControl1->indexOf(a.MapTab->TabSheet));
  TTreemapView& map = *a.MapTab->Map;
  ASSERT_TRUE(RunUntil([&] { return MapReady(map); }));

  // Largest first: .so (5 MB), .a (3 MB), .xyz (2 MB) take the palette in that order.
  const auto& palette = TExtensionColours::Palette;
  const TTreemapColours& colours = map.Colours();
  const QImage shot = map.grab().toImage();
  const auto pixelOf = [&](const std::string& file) {
    const QPoint at = TileCentre(map, tree / file);
    EXPECT_TRUE(map.MapRect().contains(at)) << file;
    return shot.pixel(at);
  };
  EXPECT_TRUE(IsShadeOf(pixelOf("lib/libbig.so"), 0xff000000u | palette[0]));
  EXPECT_TRUE(IsShadeOf(pixelOf("lib/LIBSMALL.SO"), 0xff000000u | palette[0]));
  EXPECT_TRUE(IsShadeOf(pixelOf("lib/libstatic.a"), 0xff000000u | palette[1]));
  EXPECT_TRUE(IsShadeOf(pixelOf("data.xyz"), 0xff000000u | palette[2]));
  EXPECT_TRUE(IsShadeOf(pixelOf("README"), colours.Other()));
  const QRgb video = pixelOf("video/clip.mp4");
  EXPECT_FALSE(IsShadeOf(video, colours.Other()));
  for (const std::uint32_t c : palette) EXPECT_FALSE(IsShadeOf(video, 0xff000000u | c));

  // The legend: every group, then the three extensions with their share of all bytes, then the
  // two greys.
  const auto& legend = colours.Legend();
  const std::size_t groups = DefaultGroupList().size();
  ASSERT_EQ(legend.size(), groups + 3 + 2);
  const auto share = [&](double bytes) {
    return Localized(QString::number(bytes / total * 100, 'f', 1)) + " %";
  };
  EXPECT_EQ(legend[groups].Text, ".so " + share(5 << 20));
  EXPECT_EQ(legend[groups + 1].Text, ".a " + share(3 << 20));
  EXPECT_EQ(legend[groups + 2].Text, ".xyz " + share(2 << 20));
  EXPECT_EQ(legend[groups].Colour, 0xff000000u | palette[0]);
  EXPECT_EQ(legend[groups + 3].Colour, colours.Other());
  // The swatches are painted: the legend strip of the saved picture holds the .so colour.
  const QImage saved = map.Snapshot();
  bool swatch = false;
  for (int y = map.MapRect().height(); y < saved.height() && !swatch; ++y) {
    for (int x = 0; x < saved.width() && !swatch; ++x) {
      swatch = saved.pixel(x, y) == (0xff000000u | palette[0]);
    }
  }
  EXPECT_TRUE(swatch);
}

}  // namespace
}  // namespace Vellumetric::Testing
