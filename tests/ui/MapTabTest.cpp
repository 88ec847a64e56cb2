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
    if (t.Kind == TTreemapTileKind::File && map.TileText(t).startsWith(head)) {
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
  RunCommand("mkdir -p " + ShellQuote(tree / "a/sub/deep") + " " + ShellQuote(tree / "b/e") + " " +
             ShellQuote(tree / "many"));
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
  ASSERT_TRUE(RunUntil([&] { return !a.ProgressForm && !a.SummaryBusy; }));
  ASSERT_EQ(a.PageControl1->count(), 4);  // General, Detail, Map, and Changes (hidden here)
  EXPECT_EQ(a.PageControl1->tabText(2), "Map");
  EXPECT_FALSE(a.PageControl1->isTabVisible(3));
  a.PageControl1->setCurrentIndex(2);
  TTreemapView& map = *a.MapTab->Map;
  ASSERT_TRUE(RunUntil([&] { return MapReady(map); }));
  ASSERT_GT(map.MapRect().height(), 50);

  // A click on the biggest file: its folder, three levels down, becomes the tree's current
  // node (its parents opened) and its page is shown.
  const std::string deep = tree / "a/sub/deep";
  const QPoint big = TileCentre(map, deep + "/big.mp4");
  ASSERT_TRUE(map.MapRect().contains(big));
  QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier, big);
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
  const TTreemapTile* tile = map.TileAt(TileCentre(map, deep + "/big.mp4"));
  ASSERT_TRUE(tile);
  EXPECT_TRUE(map.TileText(*tile).startsWith(QString::fromStdString(deep + "/big.mp4\n")));

  // A new scan clears the map before the worker refills the tree, then shows the new one.
  a.BackClick();
  ASSERT_TRUE(RunUntil([&] { return a.QuickInfo != nullptr; }));
  a.ScanFolder(tree / "b");
  EXPECT_EQ(map.CurrentLayout(), nullptr);
  ASSERT_TRUE(RunUntil([&] { return !a.ProgressForm && !a.SummaryBusy; }));
  a.PageControl1->setCurrentIndex(2);
  ASSERT_TRUE(RunUntil([&] { return MapReady(map); }));
  EXPECT_TRUE(map.MapRect().contains(TileCentre(map, tree / "b/d.mp3")));
  EXPECT_FALSE(map.MapRect().contains(TileCentre(map, deep + "/big.mp4")));
}

}  // namespace
}  // namespace Vellumetric::Testing
