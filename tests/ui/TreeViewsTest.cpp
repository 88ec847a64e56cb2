// The pictures and the desktop actions of the result views: share bars, the sweep, the header
// flip, local last-access texts and the file manager over D-Bus.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#endif
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QMouseEvent>
#include <QTreeView>
#include <csignal>
#include <sstream>

#include "../scan/TFakeDirectoryLister.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "model/VLMMessages.h"
#include "ui/models/LastAccessText.h"
#include "ui/paint/ScanSweepPainter.h"
#include "ui/paint/ShareBarPainter.h"
#include "ui/progress/TVLMDiskScanProgressForm.h"
#include "ui/results/folders/TFolderTreeController.h"

namespace Vellumetric::Testing {
namespace {

QImage BarImage(double width, const QRect& cell) {
  QImage image(200, 20, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintShareBar(painter, cell, width);
  return image;
}

TEST(ShareBar, FullHalfAndZeroShares) {
  const QRect cell(10, 2, 180, 16);  // left 10, top 2, bottom 18 (excluded)
  const QRgb grey = qRgb(128, 128, 128);
  const QImage full = BarImage(ShareBarWidth(500, 500), cell);
  EXPECT_EQ(full.pixel(10, 9), grey);   // left outline
  EXPECT_EQ(full.pixel(169, 9), grey);  // right outline: 160 px wide
  EXPECT_EQ(full.pixel(170, 9), qRgb(255, 255, 255));
  EXPECT_EQ(full.pixel(50, 2), grey);   // top outline
  EXPECT_EQ(full.pixel(50, 17), grey);  // bottom outline, the last row inside
  EXPECT_EQ(full.pixel(50, 18), qRgb(255, 255, 255));
  EXPECT_EQ(full.pixel(11, 9), qRgb(199, 236, 137));  // the first line
  EXPECT_EQ(full.pixel(127, 9), qRgb(199, 236, 253));
  EXPECT_EQ(full.pixel(128, 9), qRgb(199, 236, 254));  // the 118th line and on stay at 254
  EXPECT_EQ(full.pixel(168, 9), qRgb(199, 236, 254));

  const QImage half = BarImage(ShareBarWidth(250, 500), cell);
  EXPECT_EQ(half.pixel(89, 9), grey);
  EXPECT_EQ(half.pixel(88, 9), qRgb(199, 236, 136 + 78));
  EXPECT_EQ(half.pixel(90, 9), qRgb(255, 255, 255));

  const QImage none = BarImage(ShareBarWidth(0, 500), cell);
  for (int x = 0; x < 200; ++x) ASSERT_EQ(none.pixel(x, 9), qRgb(255, 255, 255)) << x;
}

TFolderTree SmallTree() {
  TFolderTree tree;
  // Every total is final; all but the root's parent are too.
  // Each folder is named by the last component of its path.
  const auto add = [&tree](TNodeId parent, std::string_view path, std::uint64_t size) {
    return tree.AddChild(parent, {.Path = TPathText(path, path.rfind('/') + 1),
                                  .Size = size,
                                  .Complete = true,
                                  .ParentComplete = parent != NoNode});
  };
  const TNodeId root = add(NoNode, "/r", 300);
  add(root, "/r/small", 100);
  const TNodeId big = add(root, "/r/big", 200);
  add(big, "/r/big/zero", 0);
  const TNodeId empty = add(root, "/r/empty", 0);
  add(empty, "/r/empty/inside", 0);
  return tree;
}

QString RowNames(const QAbstractItemModel& model, const QModelIndex& parent) {
  QStringList names;
  for (int r = 0; r < model.rowCount(parent); ++r) {
    names << model.index(r, 0, parent).data().toString();
  }
  return names.join(QLatin1Char(','));
}

void ClickHeader(QHeaderView* header, int section, Qt::MouseButton button) {
  const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at), button,
                    button, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at), button,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(header->viewport(), &press);
  QCoreApplication::sendEvent(header->viewport(), &release);
}

TEST(FolderTree, BarsSortingAndTheHeaderFlip) {
  TFolderTree tree = SmallTree();
  QTreeView view;
  view.resize(600, 300);
  TDesktopShell shell(nullptr);
  TFolderTreeController controller(&view, shell, 96);
  controller.Attach(&tree);
  view.show();
  const TFolderTreeModel& model = *controller.Model;
  const QModelIndex root = model.index(0, 0, {});
  EXPECT_EQ(RowNames(model, root), "big,small,empty");
  EXPECT_FALSE(root.data(ShareBarRole).isValid());  // a top-level node has no bar
  EXPECT_DOUBLE_EQ(model.index(0, 0, root).data(ShareBarRole).toDouble(),
                   static_cast<float>(200.0 * 160 / 300));
  const QModelIndex empty = model.index(2, 0, root);
  EXPECT_DOUBLE_EQ(empty.data(ShareBarRole).toDouble(), 0.0);
  EXPECT_FALSE(model.index(0, 0, empty).data(ShareBarRole).isValid());  // parent of size 0
  // The window writes sizes with the user's decimal separator.
  EXPECT_EQ(model.index(0, 1, root).data().toString().trimmed(),
            QStringLiteral("0") + QLocale::system().decimalPoint() + QStringLiteral("20 KB"));

  // Drawn through the delegate: the bar of "big" starts at the cell's left edge.
  QImage cellImage(300, 20, QImage::Format_ARGB32);
  cellImage.fill(Qt::white);
  {
    QPainter painter(&cellImage);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 300, 20);
    view.itemDelegate()->paint(&painter, option, model.index(0, 0, root));
  }
  EXPECT_EQ(cellImage.pixel(0, 10), qRgb(128, 128, 128));
  EXPECT_EQ(cellImage.pixel(105, 10), qRgb(128, 128, 128));  // right edge: trunc(106.67) - 1
  EXPECT_EQ(cellImage.pixel(106, 10), qRgb(255, 255, 255));

  QHeaderView* header = view.header();
  ClickHeader(header, 1, Qt::RightButton);
  EXPECT_EQ(RowNames(model, root), "big,small,empty");
  ClickHeader(header, 1, Qt::LeftButton);
  EXPECT_EQ(RowNames(model, root), "empty,small,big");
  EXPECT_EQ(header->sortIndicatorSection(), 0);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  EXPECT_TRUE(view.isExpanded(root));  // the flip keeps what the user had open
  ClickHeader(header, 0, Qt::LeftButton);
  EXPECT_EQ(RowNames(model, root), "big,small,empty");
}

TEST(Sweep, HandAndWedgesTurnClockwise) {
  int angle = 0;
  for (int tick = 0; tick < 36; ++tick) angle = NextSweepAngle(angle);
  EXPECT_EQ(angle, 360);
  EXPECT_EQ(NextSweepAngle(angle), 0);

  QImage frame(360, 266, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&frame);
  PaintScanSweep(painter, 360, 266, 90);  // the hand points straight down
  painter.end();
  const int cx = 55 + 125;
  const int cy = 8 + 125;
  const auto at = [&](double degrees, double radius) {
    const double r = degrees * 3.14159265 / 180;
    return QColor(frame.pixel(cx + static_cast<int>(radius * std::cos(r)),
                              cy + static_cast<int>(radius * std::sin(r))));
  };
  const QColor hand(frame.pixel(cx, cy + 100));
  EXPECT_LT(hand.blue(), hand.red() - 30);  // yellowish on the hand
  const QColor trailing = at(85, 100);      // inside the wedge behind the hand
  const QColor ahead = at(95, 100);         // the disc ahead of it, untinted
  EXPECT_LT(trailing.blue(), ahead.blue() - 20);
  EXPECT_EQ(ahead.red(), ahead.blue());  // plain grey gradient
  EXPECT_EQ(QColor(frame.pixel(2, 2)), QColor(Qt::white));
}

TEST(LastAccess, ShownInTheUsersZone) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  // 2024-01-01 15:00:00 UTC as a file time.
  const std::uint64_t fileTime = (1704121200ULL + 11644473600ULL) * 10000000ULL;
  EXPECT_EQ(LastAccessText(fileTime, english, QTimeZone(0)), "1/1/24 3:00:00 PM");
  EXPECT_EQ(LastAccessText(fileTime, english, QTimeZone(-5 * 3600)), "1/1/24 10:00:00 AM");
  // Local midnight shows the date alone: 15:00 UTC is midnight in UTC+9.
  EXPECT_EQ(LastAccessText(fileTime, english, QTimeZone(9 * 3600)), "1/2/24");
  EXPECT_EQ(LastAccessText(0, english, QTimeZone(0)), "");
}

#ifndef _WIN32
// A stand-in file manager on a private bus: records the calls it receives.
class TFileManagerStandIn final : public QDBusVirtualObject {
 public:
  QStringList Calls;
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    const QStringList items = message.arguments().value(0).toStringList();
    Calls << message.member() + QLatin1Char(' ') + items.join(QLatin1Char(',')) + QLatin1Char(' ') +
                 message.arguments().value(1).toString();
    return connection.send(message.createReply());
  }
};

TEST(DesktopShell, OpenFolderLocationReachesTheFileManager) {
  std::istringstream started(
      RunCommand("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null"));
  std::string address;
  long pid = 0;
  if (!(started >> address >> pid)) GTEST_SKIP() << "dbus-daemon could not be started";
  const struct TKill {
    long Pid;
    ~TKill() { ::kill(static_cast<pid_t>(Pid), SIGTERM); }
  } stopDaemon{pid};

  QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(address), "fm");
  ASSERT_TRUE(bus.isConnected());
  TFileManagerStandIn fileManager;
  ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/FileManager1", &fileManager));
  ASSERT_TRUE(bus.registerService("org.freedesktop.FileManager1"));

  TFolderTree tree;
  tree.AddChild(NoNode, {.Path = TPathText("/tmp/x y/\xC3\xA4"), .Size = 1, .Complete = true});
  QTreeView view;
  TDesktopShell shell(nullptr, QString::fromStdString(address));
  QStringList opened;
  shell.OpenUrl = [&](const QUrl& url) {
    opened << url.toString();
    return true;
  };
  int answers = 0;
  shell.ShowItemDone = [&](bool) { ++answers; };
  TFolderTreeController controller(&view, shell, 96);
  controller.Attach(&tree);
  EXPECT_FALSE(controller.OpenFileLocation2->isEnabled());
  controller.SelectFirstNode();
  ASSERT_TRUE(controller.OpenFileLocation2->isEnabled());
  controller.OpenFileLocation2->trigger();
  ASSERT_TRUE(RunUntil([&] { return answers == 1; }, 10000));
  EXPECT_EQ(fileManager.Calls, QStringList{"ShowItems file:///tmp/x%20y/%C3%A4 "});
  EXPECT_TRUE(opened.isEmpty());

  // No file manager on the bus: the containing folder is opened instead.
  bus.unregisterService("org.freedesktop.FileManager1");
  controller.OpenFileLocation2->trigger();
  ASSERT_TRUE(RunUntil([&] { return answers == 2; }, 10000));
  EXPECT_EQ(opened, QStringList{"file:///tmp/x y"});
  QDBusConnection::disconnectFromBus("fm");
}
#else
TEST(DesktopShell, OpenFolderLocationReachesTheFileManager) {
  GTEST_SKIP() << "a stand-in file manager needs a private D-Bus session bus (POSIX only)";
}
#endif

TEST(ScanProgressForm, CentredSweepAndACancelAfterTheEndReachesNoThread) {
  TFakeDirectoryLister fake(TPathStyle::Posix);
  fake.Add("/f", {{"a", false, 10, 0}});
  TFolderTree tree;
  TTypedFileList typed;
  TBiggestFileList biggest;
  TFileExtList extensions;
  std::atomic<bool> scanning{false};
  TMessageRecorder analyzer;
  TVLMDiskScanProgressForm form(
      nullptr, &analyzer, {&tree, &typed, &biggest, &extensions, &scanning},
      [&] { return std::make_unique<TFakeDirectoryLister>(fake); }, 96);
  form.resize(900, 600);
  form.show();
  QCoreApplication::processEvents();
  const QWidget* sweep = form.Animation;
  EXPECT_EQ(sweep->x(), (form.Panel2->width() - sweep->width()) / 2);
  EXPECT_EQ(sweep->y(), (form.Panel2->height() - sweep->height()) / 2);
  EXPECT_EQ(form.TitleBar->Title(), "Scan in Progress. Please Wait...");
  EXPECT_FALSE(form.TitleBar->Button1->isVisibleTo(form.TitleBar));

  form.StartScanThread({"/f"}, false);
  ASSERT_TRUE(RunUntil([&] { return !analyzer.Messages.empty(); }));
  EXPECT_EQ(analyzer.Messages.front().first, static_cast<int>(WM_SCAN_FINISHED));
  EXPECT_FALSE(form.HasThread());
  form.InfoStrip->Button1->click();  // handled after the relay: nothing left to stop
  DeliverPosted();
  EXPECT_EQ(analyzer.Messages.size(), 1u);
  EXPECT_EQ(tree.Data(0).Size, 10u);
}

}  // namespace
}  // namespace Vellumetric::Testing
