#include <gtest/gtest.h>

#include <QMouseEvent>

#include "UiTestSupport.h"
#include "model/VLMMessages.h"
#include "ui/start/TVLMDriveListForm.h"
#include "ui/start/TVLMQuickInfoForm.h"

namespace Vellumetric {
namespace {

using namespace Testing;

struct TTiles {
  TDiskList Disks = FakeDisks();
  TMessageRecorder Analyzer;
  TVLMDriveListForm Form;
  explicit TTiles(int dpi) : Form(nullptr, Disks, &Analyzer, dpi, FakeFacts) {
    Form.Setup();
    Form.Paint();
  }
  void Mouse(QEvent::Type type, int y) {
    QMouseEvent e(type, QPointF(100, y), QPointF(100, y), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(&Form, &e);
  }
};

TEST(DriveList, BandsAndHitTest) {
  TTiles tiles(96);
  EXPECT_EQ(tiles.Form.height(), 3 * (21 + 38));  // the 26 and 48 pixel panels at 96 dpi
  EXPECT_EQ(tiles.Disks[0].Top, 10);
  EXPECT_EQ(tiles.Disks[1].Top, 61);
  EXPECT_EQ(tiles.Disks[2].Top, 112);
  EXPECT_EQ(tiles.Form.HitTest(5), -1);  // the margin above the first tile
  EXPECT_EQ(tiles.Form.HitTest(10), 0);
  EXPECT_EQ(tiles.Form.HitTest(tiles.Disks[0].Bottom), 0);
  if (tiles.Disks[0].Bottom + 1 < tiles.Disks[1].Top) {
    EXPECT_EQ(tiles.Form.HitTest(tiles.Disks[0].Bottom + 1), -1);  // between two bands
  }
  tiles.Disks[0].Bottom = tiles.Disks[1].Top + 5;  // overlapping bands: the earlier drive wins
  EXPECT_EQ(tiles.Form.HitTest(tiles.Disks[1].Top + 2), 0);
  EXPECT_EQ(tiles.Form.HitTest(10000), -1);
}

TEST(DriveList, UsageBarFollowsTheFreeSpaceReadAtPaint) {
  TTiles tiles(120);
  const QImage& img = tiles.Form.Image();
  const auto at = [&](int drive, int x) {
    return QColor(img.pixel(x, tiles.Disks[static_cast<std::size_t>(drive)].Top + 12));
  };
  // Half full: coloured on the left half of the bar, white on the right.
  EXPECT_NE(at(0, 260), QColor(Qt::white));
  EXPECT_GT(at(0, 520).lightness(), 240);
  EXPECT_NE(at(1, 520), QColor(Qt::white));  // full: coloured to the end
  EXPECT_GT(at(2, 260).lightness(), 240);    // capacity 0: an empty bar, no crash
}

TEST(DriveList, HoverRepaintsOncePerTileAndClicksPostTheIndex) {
  TTiles tiles(120);
  const int start = tiles.Form.PaintCount();
  tiles.Mouse(QEvent::MouseMove, tiles.Disks[1].Top + 3);
  tiles.Mouse(QEvent::MouseMove, tiles.Disks[1].Top + 8);  // same tile: no repaint
  EXPECT_EQ(tiles.Form.PaintCount(), start + 1);
  EXPECT_EQ(tiles.Form.HotIndex, 1);
  tiles.Mouse(QEvent::MouseMove, tiles.Disks[2].Top + 3);
  EXPECT_EQ(tiles.Form.PaintCount(), start + 2);
  tiles.Mouse(QEvent::MouseButtonRelease, tiles.Disks[2].Top + 3);
  EXPECT_EQ(tiles.Form.SelectedIndex, 2);
  tiles.Mouse(QEvent::MouseButtonDblClick, tiles.Disks[2].Top + 3);
  tiles.Mouse(QEvent::MouseButtonRelease, 2);  // in the top margin: nothing posted
  DeliverPosted();
  EXPECT_EQ(tiles.Analyzer.Messages, (std::vector<std::pair<int, std::uintptr_t>>{
                                         {WM_DRIVE_SELECTED, 2}, {WM_DRIVE_OPEN, 2}}));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&tiles.Form, &leave);
  EXPECT_EQ(tiles.Form.HotIndex, -1);
}

TEST(QuickInfo, MadeAndDestroyedAHundredTimesLeavesNothingBehind) {
  TDiskList disks = FakeDisks();
  TMessageRecorder analyzer;
  const int before = TVLMTitleBarForm::LiveCount();
  for (int i = 0; i < 100; ++i) {
    auto* quickInfo = new TVLMQuickInfoForm(nullptr, disks, &analyzer, 96, FakeFacts);
    quickInfo->resize(600, 400);
    quickInfo->ShowDriveList();
    quickInfo->ShowDriveList();  // a second call creates nothing new
    ASSERT_EQ(TVLMDriveListForm::LiveCount(), 1);
    delete quickInfo;
  }
  EXPECT_EQ(TVLMQuickInfoForm::LiveCount(), 0);
  EXPECT_EQ(TVLMDriveListForm::LiveCount(), 0);
  EXPECT_EQ(TVLMTitleBarForm::LiveCount(), before);
}

}  // namespace
}  // namespace Vellumetric
