#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>
#include <vector>

#include "Numbered.h"
#include "TreemapTestTrees.h"
#include "treemap/TTreemapLayout.h"

namespace Vellumetric {
namespace {

using Testing::MakeRandomScan;
using Testing::Numbered;
using Testing::TTestScan;

double Area(const TTreemapTile& t) {
  return (static_cast<double>(t.X1) - t.X0) * (static_cast<double>(t.Y1) - t.Y0);
}

double Aspect(const TTreemapTile& t) {
  const double w = t.X1 - t.X0;
  const double h = t.Y1 - t.Y0;
  return std::max(w / h, h / w);
}

// Bytes of the files below each folder by `measure`, each file added to every folder up its
// parent chain.
std::vector<double> BytesBelow(const TTestScan& scan, TMeasure measure = TMeasure::Size) {
  std::vector<double> bytes(scan.Tree.Count(), 0);
  for (TFileId f = 0; f < scan.Files.Count(); ++f) {
    const TFileRecord& r = scan.Files.Record(f);
    const auto b = static_cast<double>(r.Bytes(measure));
    for (TNodeId n = r.Folder; n != NoNode; n = scan.Tree.Parent(n)) bytes[n] += b;
  }
  return bytes;
}

// Tiles cover the bounds exactly when each lies inside, no two overlap, and their areas add up.
void ExpectExactCover(const TTreemapTiles& tiles, const TTreemapRect& b) {
  double total = 0;
  for (const TTreemapTile& t : tiles) {
    ASSERT_LE(t.X0, t.X1);
    ASSERT_LE(t.Y0, t.Y1);
    ASSERT_TRUE(t.X0 >= b.X0 && t.X1 <= b.X1 && t.Y0 >= b.Y0 && t.Y1 <= b.Y1);
    total += Area(t);
  }
  EXPECT_NEAR(total, b.Area(), b.Area() * 1e-6);
  std::vector<const TTreemapTile*> byX;
  for (const TTreemapTile& t : tiles) byX.push_back(&t);
  std::sort(byX.begin(), byX.end(), [](auto* a, auto* c) { return a->X0 < c->X0; });
  constexpr float kSlack = 1e-3f;  // edges are shared exactly; this only absorbs float rounding
  for (std::size_t i = 0; i < byX.size(); ++i) {
    for (std::size_t j = i + 1; j < byX.size() && byX[j]->X0 < byX[i]->X1 - kSlack; ++j) {
      const float overlapX = std::min(byX[i]->X1, byX[j]->X1) - byX[j]->X0;
      const float overlapY = std::min(byX[i]->Y1, byX[j]->Y1) - std::max(byX[i]->Y0, byX[j]->Y0);
      ASSERT_FALSE(overlapX > kSlack && overlapY > kSlack)
          << "tiles " << byX[i]->Id() << " and " << byX[j]->Id() << " overlap";
    }
  }
}

// By either measure: the areas follow what the files hold, or what they take on disk.
TEST(TTreemapLayout, EveryFileGetsItsShareAndTheTilesCoverTheRectangleOnce) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(seed);
    TTestScan scan;
    MakeRandomScan(scan, seed, 150, 1500);
    const TTreemapRect bounds{10, 20, 1610, 420};
    for (const auto& [squarified, m] :
         {std::pair{true, TMeasure::Size}, {false, TMeasure::Size}, {true, TMeasure::Disk}}) {
      SCOPED_TRACE(m == TMeasure::Disk ? "on disk" : "size");
      TTreemapLayout layout;
      TTreemapOptions options;
      options.MinArea = 0;
      options.Squarified = squarified;
      options.Measure = m;
      layout.Build(scan.Tree, scan.Files, 0, bounds, options);
      const std::vector<double> below = BytesBelow(scan, m);
      const double perByte = bounds.Area() / below[0];
      std::size_t nonEmpty = 0;
      for (TFileId f = 0; f < scan.Files.Count(); ++f) {
        nonEmpty += scan.Files.Record(f).Bytes(m) > 0;
      }
      std::size_t fileTiles = 0;
      for (const TTreemapTile& t : layout.Tiles()) {
        ASSERT_EQ(t.Kind(), TTreemapTileKind::File);  // no minimum area: no folder blocks
        ++fileTiles;
        // Within 0.5 %, or for a tile below one pixel within what float edges near x = 1600
        // can hold.
        const double want = static_cast<double>(scan.Files.Record(t.Id()).Bytes(m)) * perByte;
        EXPECT_NEAR(Area(t), want, std::max(want * 0.005, 0.05)) << "file " << t.Id();
      }
      EXPECT_EQ(fileTiles, nonEmpty);
      ExpectExactCover(layout.Tiles(), bounds);
      // A folder's rectangle holds its share too.
      for (TNodeId id = 0; id < scan.Tree.Count(); ++id) {
        TTreemapRect r;
        const double want = below[id] * perByte;
        ASSERT_EQ(layout.FolderRect(id, r), want > 0);
        if (want > 0) {
          EXPECT_NEAR(r.Area(), want, want * 0.005 + 1e-3);
        }
      }
    }
  }
}

TEST(TTreemapLayout, SquarifiedAspectRatiosBeatSliceAndDice) {
  for (unsigned seed : {11u, 12u, 13u, 14u, 15u}) {
    SCOPED_TRACE(seed);
    TTestScan scan;
    MakeRandomScan(scan, seed, 60 + seed, 800);
    double mean[2] = {0, 0};
    double worst[2] = {0, 0};
    for (int squarified = 0; squarified < 2; ++squarified) {
      TTreemapLayout layout;
      TTreemapOptions options;
      options.MinArea = 0;
      options.Squarified = squarified == 1;
      layout.Build(scan.Tree, scan.Files, 0, {0, 0, 1200, 700}, options);
      for (const TTreemapTile& t : layout.Tiles()) {
        mean[squarified] += Aspect(t) / static_cast<double>(layout.Tiles().size());
        worst[squarified] = std::max(worst[squarified], Aspect(t));
      }
    }
    EXPECT_LT(mean[1], mean[0]);
    EXPECT_LE(worst[1], worst[0]);
  }
}

// Files too small for a pixel are not laid out one by one: they become one block of their
// folder, and a folder with nothing big enough is a block itself.
TEST(TTreemapLayout, TinyFilesAndFoldersBecomeTheirFoldersBlock) {
  TTestScan scan;
  const TNodeId root = scan.Folder(NoNode, "root");
  const TNodeId crowd = scan.Folder(root, "crowd");
  const TNodeId speck = scan.Folder(root, "speck");
  const TNodeId empty = scan.Folder(root, "empty");
  const TFileId big = scan.File(root, "big", 1000000);
  for (int i = 0; i < 5000; ++i) scan.File(crowd, Numbered("c", i), 20);
  scan.File(speck, "s", 5);
  scan.File(empty, "zero", 0);
  TTreemapLayout layout;
  const TTreemapRect bounds{0, 0, 100, 100};  // 10 000 square pixels for 1 100 005 bytes
  layout.Build(scan.Tree, scan.Files, root, bounds);

  ExpectExactCover(layout.Tiles(), bounds);
  ASSERT_EQ(layout.Tiles().size(), 3u);
  TTreemapRect r;
  EXPECT_TRUE(layout.FolderRect(crowd, r));  // 900 px, but each of its files 0.18 px
  EXPECT_FALSE(layout.FolderRect(speck, r));
  EXPECT_FALSE(layout.FolderRect(empty, r));
  int blocks = 0;
  for (std::size_t i = 0; i < layout.Tiles().size(); ++i) {
    const TTreemapTile& t = layout.Tiles()[i];
    if (t.Kind() == TTreemapTileKind::File) {
      EXPECT_EQ(t.Id(), big);
      EXPECT_NEAR(Area(t), 10000.0 * 1000000 / 1100005, 1.0);
      EXPECT_EQ(layout.TileBytes(t), 1000000u);
    } else {
      ++blocks;
      // The crowd is one block of all its files; the speck joins the root's block.
      ASSERT_TRUE(t.Id() == crowd || t.Id() == root) << t.Id();
      EXPECT_EQ(layout.TileBytes(t), t.Id() == crowd ? 100000u : 5u);
    }
  }
  EXPECT_EQ(blocks, 2);
}

// With a minimum area most folders of a big tree end as blocks, some of them with subfolders of
// their own. Every byte is shown exactly once: what the tiles of a folder's area stand for adds up
// to the bytes below it, for every folder that got an area, and a folder shown as one block has
// that block's rectangle.
TEST(TTreemapLayout, TilesStandForEveryByteOnceAndBlocksKeepTheirFoldersArea) {
  for (const auto& [seed, m] : {std::pair{21u, TMeasure::Size},
                                {22u, TMeasure::Size},
                                {23u, TMeasure::Size},
                                {24u, TMeasure::Disk}}) {
    SCOPED_TRACE(seed);
    TTestScan scan;
    MakeRandomScan(scan, seed, 400, 4000);
    // A folder of about two pixels whose three subfolders get under one each: one block.
    const double perPixel = BytesBelow(scan, m)[0] / (90 * 60);
    const TNodeId tiny = scan.Folder(0, "tiny");
    for (int i = 0; i < 3; ++i) {
      const auto bytes = static_cast<std::uint64_t>(perPixel * 0.8) / 512 * 512;
      scan.File(scan.Folder(tiny, Numbered("s", i)), "f", bytes, -1, bytes);
    }
    const std::vector<double> below = BytesBelow(scan, m);
    TTreemapLayout layout;
    TTreemapOptions options;
    options.Measure = m;
    layout.Build(scan.Tree, scan.Files, 0, {0, 0, 90, 60}, options);
    std::vector<double> shown(scan.Tree.Count(), 0);
    std::size_t wholeFolders = 0;
    for (const TTreemapTile& t : layout.Tiles()) {
      const bool file = t.Kind() == TTreemapTileKind::File;
      const TNodeId folder = file ? scan.Files.Record(t.Id()).Folder : t.Id();
      const auto bytes = static_cast<double>(layout.TileBytes(t));
      for (TNodeId n = folder; n != NoNode; n = scan.Tree.Parent(n)) shown[n] += bytes;
      TTreemapRect r;
      ASSERT_TRUE(layout.FolderRect(folder, r));
      if (!file && r.X0 == t.X0 && r.Y0 == t.Y0 && r.X1 == t.X1 && r.Y1 == t.Y1) {
        EXPECT_EQ(bytes, below[folder]);
        wholeFolders += scan.Tree.FirstChild(folder) != NoNode;
      }
    }
    EXPECT_GT(wholeFolders, 0u);  // the subtree sum was exercised
    for (TNodeId id = 0; id < scan.Tree.Count(); ++id) {
      TTreemapRect r;
      if (layout.FolderRect(id, r)) {
        EXPECT_EQ(shown[id], below[id]) << "folder " << id;
      }
    }
    EXPECT_EQ(shown[0], below[0]);
  }
}

// A raised stop flag ends the layout with nothing of it kept; a lowered one changes nothing.
TEST(TTreemapLayout, AStopFlagEndsTheLayoutEarly) {
  TTestScan scan;
  MakeRandomScan(scan, 5, 3000, 20000);
  std::atomic<bool> stop{true};
  TTreemapOptions options;
  options.Stop = &stop;
  TTreemapLayout layout;
  layout.Build(scan.Tree, scan.Files, 0, {0, 0, 800, 600}, options);
  EXPECT_TRUE(layout.Stopped());
  EXPECT_TRUE(layout.Tiles().empty());
  TTreemapRect r;
  EXPECT_FALSE(layout.FolderRect(0, r));
  stop = false;
  layout.Build(scan.Tree, scan.Files, 0, {0, 0, 800, 600}, options);
  TTreemapLayout free;
  free.Build(scan.Tree, scan.Files, 0, {0, 0, 800, 600});
  EXPECT_FALSE(layout.Stopped());
  ASSERT_GT(free.Tiles().size(), 100u);
  EXPECT_EQ(layout.Tiles().size(), free.Tiles().size());
}

TEST(TTreemapLayout, DegenerateInputGivesNoTilesAndDeepChainsDoNotOverflow) {
  TTestScan scan;
  const TNodeId root = scan.Folder(NoNode, "root");
  scan.File(root, "zero", 0);
  TTreemapLayout layout;
  layout.Build(scan.Tree, scan.Files, root, {0, 0, 100, 100});
  EXPECT_TRUE(layout.Tiles().empty());
  layout.Build(scan.Tree, scan.Files, 7, {0, 0, 100, 100});  // no such folder
  EXPECT_TRUE(layout.Tiles().empty());

  TNodeId deepest = root;
  for (int i = 0; i < 20000; ++i) deepest = scan.Folder(deepest, "n");
  scan.File(deepest, "leaf", 100);
  layout.Build(scan.Tree, scan.Files, root, {0, 0, 50, 0});  // no height
  EXPECT_TRUE(layout.Tiles().empty());
  layout.Build(scan.Tree, scan.Files, root, {0, 0, 50, 20});
  ASSERT_EQ(layout.Tiles().size(), 1u);
  EXPECT_EQ(layout.Tiles()[0].Kind(), TTreemapTileKind::File);
  EXPECT_EQ(Area(layout.Tiles()[0]), 1000.0);
}

// Nested ridges: each level adds a parabola whose slope at its rectangle's border is four times
// its height, whatever the rectangle's size (so small tiles look as curved as big ones). A lone
// file below two folders has three ridges over the same rectangle.
TEST(TTreemapLayout, CushionRidgesAddUpPerLevel) {
  TTestScan scan;
  const TNodeId root = scan.Folder(NoNode, "root");
  const TNodeId sub = scan.Folder(root, "sub");
  scan.File(sub, "only", 42);
  TTreemapLayout layout;
  TTreemapOptions options;
  options.RidgeHeight = 0.5;
  options.RidgeFalloff = 0.75;
  layout.Build(scan.Tree, scan.Files, root, {100, 0, 400, 100}, options);
  ASSERT_EQ(layout.Tiles().size(), 1u);
  const TTreemapTile& t = layout.Tiles()[0];
  auto slopeX = [&](double x) { return 2.0 * t.S2x * x + t.S1x; };
  auto slopeY = [&](double y) { return 2.0 * t.S2y * y + t.S1y; };
  const double edge = 4 * (0.5 + 0.5 * 0.75 + 0.5 * 0.75 * 0.75);
  EXPECT_NEAR(slopeX(100), edge, 1e-3);
  EXPECT_NEAR(slopeX(250), 0, 1e-3);
  EXPECT_NEAR(slopeX(400), -edge, 1e-3);
  EXPECT_NEAR(slopeY(0), edge, 1e-3);
  EXPECT_NEAR(slopeY(100), -edge, 1e-3);
}

}  // namespace
}  // namespace Vellumetric
