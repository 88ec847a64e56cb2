#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <string>

#include "TTempDir.h"
#include "TreemapTestTrees.h"
#include "ui/paint/TreemapRendering.h"
#include "ui/results/map/TTreemapView.h"

namespace Vellumetric {
namespace {

using Testing::MakeRandomScan;
using Testing::TTestScan;

// The tile holding a point, found by geometry alone.
std::uint32_t TileByGeometry(const TTreemapLayout& layout, double x, double y) {
  const auto& tiles = layout.Tiles();
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const TTreemapTile& t = tiles[i];
    if (x >= t.X0 && x < t.X1 && y >= t.Y0 && y < t.Y1) return static_cast<std::uint32_t>(i);
  }
  return NoTile;
}

// Shading scales a colour without changing its hue: every channel by the same factor.
bool IsShadeOf(QRgb pixel, QRgb base) {
  const int top = std::max({qRed(base), qGreen(base), qBlue(base)});
  const int got = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
  const double k = static_cast<double>(got) / top;
  return std::abs(qRed(pixel) - qRed(base) * k) <= 3 &&
         std::abs(qGreen(pixel) - qGreen(base) * k) <= 3 &&
         std::abs(qBlue(pixel) - qBlue(base) * k) <= 3;
}

TEST(TreemapRendering, ThePixelShowsTheTileTheLayoutPutThere) {
  TTestScan scan;
  MakeRandomScan(scan, 7, 80, 3000);
  TFileExtDescList groups;
  for (int g = 0; g < 11; ++g) groups.push_back({g, "group " + std::to_string(g)});
  const TTreemapColours colours(groups);
  TTreemapLayout layout;
  layout.Build(scan.Tree, scan.Files, 0, {0, 0, 640, 360});
  const TTreemapPicture picture = RenderTreemap(layout, colours, QSize(640, 360));
  ASSERT_EQ(picture.Image.size(), QSize(640, 360));
  int files = 0, blocks = 0;
  for (int y = 0; y < 360; y += 3) {
    for (int x = 0; x < 640; x += 3) {
      const std::uint32_t want = TileByGeometry(layout, x + 0.5, y + 0.5);
      ASSERT_NE(want, NoTile) << x << "," << y;  // the map leaves no hole
      ASSERT_EQ(TileIndexAt(layout, picture.Image.size(), x, y), want) << x << "," << y;
      const TTreemapTile& tile = layout.Tiles()[want];
      const QRgb base = TileColour(tile, colours, scan.Files);
      ASSERT_TRUE(IsShadeOf(picture.Image.pixel(x, y), base))
          << x << "," << y << " " << std::hex << picture.Image.pixel(x, y) << " " << base;
      (tile.Kind() == TTreemapTileKind::File ? files : blocks)++;
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_GT(blocks, 0);  // 3000 files in 230 400 pixels leave some too small to show alone
  // Group colours: file tiles of a group are painted in that group's colour, others grey.
  EXPECT_NE(colours.ForGroup(0), colours.ForGroup(1));
  EXPECT_EQ(colours.ForGroup(TFileRecordStore::NoGroup), colours.Other());
  EXPECT_EQ(colours.Legend().size(), groups.size() + 2);
}

void WaitForPicture(TTreemapView& view) {
  QElapsedTimer timer;
  timer.start();
  while (view.RenderPending() && timer.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  ASSERT_FALSE(view.RenderPending());
}

void Click(QWidget& w, QEvent::Type type, QPoint pos) {
  QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), Qt::LeftButton, Qt::LeftButton,
                Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}

TEST(TreemapView, HoverClickDoubleClickAndSaveReachTheRightFile) {
  TTestScan scan;
  const TNodeId root = scan.Folder(NoNode, "data");
  const TNodeId photos = scan.Folder(root, "photos");
  const TNodeId music = scan.Folder(root, "music");
  const TFileId big = scan.File(photos, "holiday.jpg", 700000, 0);
  scan.File(music, "song.mp3", 200000, 1);
  scan.File(root, "notes", 100000);
  TTreemapView view;
  std::vector<TNodeId> clicked;
  std::vector<std::string> opened;
  view.OnFolderClicked = [&](TNodeId id) { clicked.push_back(id); };
  view.OnOpenFileLocation = [&](const std::string& path) { opened.push_back(path); };
  view.resize(500, 300);
  view.show();
  view.SetScan(&scan.Tree, &scan.Files, root, {{0, "Raster Image Files"}, {1, "Audio Files"}},
               TPathStyle::Posix);
  WaitForPicture(view);
  const TTreemapLayout* layout = view.CurrentLayout();
  ASSERT_NE(layout, nullptr);

  // The biggest file is the biggest tile; aim at its centre.
  const TTreemapTile* tile = nullptr;
  for (const TTreemapTile& t : layout->Tiles()) {
    if (t.Kind() == TTreemapTileKind::File && t.Id() == big) tile = &t;
  }
  ASSERT_NE(tile, nullptr);
  EXPECT_NEAR((tile->X1 - tile->X0) * (tile->Y1 - tile->Y0),
              0.7 * view.MapRect().width() * view.MapRect().height(), 2.0);
  const QPoint centre(static_cast<int>((tile->X0 + tile->X1) / 2),
                      static_cast<int>((tile->Y0 + tile->Y1) / 2));
  ASSERT_EQ(view.TileAt(centre), tile);
  const QString text = view.TileText(*tile);
  EXPECT_TRUE(text.startsWith(QStringLiteral("/data/photos/holiday.jpg\n"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("700"))) << text.toStdString();

  Click(view, QEvent::MouseButtonPress, centre);
  EXPECT_EQ(clicked, std::vector<TNodeId>{photos});
  Click(view, QEvent::MouseButtonDblClick, centre);
  EXPECT_EQ(opened, std::vector<std::string>{"/data/photos/holiday.jpg"});
  EXPECT_TRUE(view.TileAt(QPoint(5, view.height() - 2)) == nullptr);  // the legend strip

  Testing::TTempDir tmp;
  const QString png = QString::fromStdString(tmp / "map.png");
  ASSERT_TRUE(view.SaveImage(png));
  QImage saved(png);
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), QSize(500, 300));
  EXPECT_EQ(saved.pixel(centre), view.Snapshot().pixel(centre));
  EXPECT_FALSE(view.SaveImage(QString::fromStdString(tmp / "no such folder/map.png")));

  // A new size gives a new picture at that size; a cleared view has nothing to save.
  view.resize(300, 400);
  WaitForPicture(view);
  EXPECT_EQ(view.CurrentLayout()->Bounds().X1, 300);
  EXPECT_EQ(view.CurrentLayout()->Bounds().Y1, view.MapRect().height());
  view.ClearScan();
  EXPECT_EQ(view.CurrentLayout(), nullptr);
  EXPECT_FALSE(view.SaveImage(png));
}

}  // namespace
}  // namespace Vellumetric
