// The windows under a light, a dark and a high-contrast colour scheme, checked on the pixels they
// draw: text over a share bar stays readable (WCAG AA, 4.5:1), and the scan view's and the drive
// panel's backgrounds are the scheme's where a fixed white or grey stood for the system's colour.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QTest>
#include <QThread>
#include <atomic>

#include "../scan/TFakeDirectoryLister.h"
#include "SchemePalettes.h"
#include "TTempDir.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "system/ColourContrast.h"
#include "ui/paint/ShareBarPainter.h"
#include "ui/windows/TMainForm.h"

namespace Vellumetric::Testing {
namespace {

TRgb Rgb(QRgb c) {
  return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
          static_cast<std::uint8_t>(qBlue(c))};
}

struct TTextOnBars {
  int TextPixels = 0;
  double WorstContrast = 21;
};

// The pixels of the rows' text that lie on their bars, in `tree` as drawn now. A bar's colour
// does not change down a pixel column, and text never reaches a row's first line inside the bar,
// so a pixel that differs from that line's pixel above it is text (drawn without smoothing, so
// it is the text's own colour).
TTextOnBars MeasureTextOnBars(QTreeView* tree) {
  const QImage image = tree->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const int textStart = tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, tree) + 6;
  TTextOnBars result;
  for (QModelIndex index = tree->indexAt(QPoint(1, 1)); index.isValid();
       index = tree->indexBelow(index)) {
    const QVariant width = index.data(ShareBarRole);
    const QRect cell = tree->visualRect(index);
    if (!width.isValid() || cell.top() >= image.height()) continue;
    if (tree->selectionModel()->isSelected(index)) continue;  // the highlight covers the bar
    const int right = std::min(cell.left() + static_cast<int>(width.toDouble()) - 1, image.width());
    for (int x = cell.left() + textStart; x < right - 1; ++x) {
      const QRgb bar = image.pixel(x, cell.top() + 1);
      for (int y = cell.top() + 2; y < cell.bottom() - 1 && y < image.height(); ++y) {
        const QRgb pixel = image.pixel(x, y);
        if (pixel == bar) continue;
        ++result.TextPixels;
        result.WorstContrast = std::min(result.WorstContrast, ContrastRatio(Rgb(pixel), Rgb(bar)));
      }
    }
  }
  return result;
}

// Folders with names long enough to run across their bars, and large shares, so that most
// rows have text on a bar.
std::shared_ptr<TFakeDirectoryLister> FakeTree(std::shared_ptr<std::atomic<bool>> hold) {
  auto fake = std::make_shared<TFakeDirectoryLister>(TPathStyle::Posix);
  fake->Add("/fake", {{"Holiday photographs", true, 0, 0},
                      {"Recordings of the band", true, 0, 0},
                      {"notes.doc", false, 3000, 1}});
  fake->Add("/fake/Holiday photographs",
            {{"IMG_0001.JPG", false, 600000, 1}, {"Selection for the album", true, 0, 0}});
  fake->Add("/fake/Holiday photographs/Selection for the album",
            {{"IMG_0002.JPG", false, 900000, 1}});
  fake->Add("/fake/Recordings of the band", {{"Rehearsal in the garage.mp3", false, 700000, 1}});
  fake->OnEnter = [hold](const std::string&) {
    while (hold->load()) QThread::msleep(1);
  };
  return fake;
}

TAnalyzerServices Services(std::shared_ptr<TFakeDirectoryLister> fake) {
  TAnalyzerServices services = ServicesWithDefaults();
  services.Listers = [fake] { return std::make_unique<TFakeDirectoryLister>(*fake); };
  return services;
}

bool InResults(const TVLMAnalyzerForm& a) {
  return !a.ProgressForm && !a.SummaryBusy && a.Summary->DetailModel->AttachedTree();
}

void WithoutSmoothing(QWidget* widget) {
  QFont font = widget->font();
  font.setStyleStrategy(QFont::NoAntialias);
  widget->setFont(font);
}

TEST(ColourSchemes, TextOnShareBarsIsReadableInLightDarkAndHighContrastSchemes) {
  for (const auto& [name, palette] : ColourSchemes()) {
    SCOPED_TRACE(name);
    const TSchemeInUse scheme(palette);
    auto hold = std::make_shared<std::atomic<bool>>(false);
    TMainForm form(96, Services(FakeTree(hold)));
    form.show();
    TVLMAnalyzerForm& a = *form.Analyzer;
    WithoutSmoothing(a.VirtualStringTree);
    WithoutSmoothing(a.VirtualStringTree2);
    a.ScanFolder("/fake");
    ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
    a.VirtualStringTree->expandAll();
    a.VirtualStringTree->selectionModel()->clearSelection();
    a.ListView1->setFocus();  // no focus frame on the tree's current row
    const TTextOnBars folders = MeasureTextOnBars(a.VirtualStringTree);
    EXPECT_GT(folders.TextPixels, 100);
    EXPECT_GE(folders.WorstContrast, ReadableTextContrast);
    a.PageControl1->setCurrentIndex(1);
    ASSERT_TRUE(RunUntil([&] { return a.VirtualStringTree2->isVisible(); }));
    a.VirtualStringTree2->selectionModel()->clearSelection();
    const TTextOnBars detail = MeasureTextOnBars(a.VirtualStringTree2);
    EXPECT_GT(detail.TextPixels, 50);
    EXPECT_GE(detail.WorstContrast, ReadableTextContrast);

    // In the light scheme the bar is the program's own light green, its blue rising from 137.
    const QModelIndex first =
        a.FolderView->Model->index(0, 0, a.FolderView->Model->index(0, 0, {}));
    const QRect cell = a.VirtualStringTree->visualRect(first);
    const QImage image = a.VirtualStringTree->viewport()->grab().toImage();
    const bool light = std::string(name) == "light";
    EXPECT_EQ(QColor(image.pixel(cell.left() + 1, cell.top() + 1)) == QColor(199, 236, 137), light);
  }
}

TEST(ColourSchemes, TheScanViewAndTheDrivePanelTakeTheSchemesColours) {
  for (const auto& [name, palette] : ColourSchemes()) {
    SCOPED_TRACE(name);
    const TSchemeInUse scheme(palette);
    const bool light = std::string(name) == "light";
    const QColor panel = light ? QColor(Qt::white) : palette.color(QPalette::Base);
    const QColor strip = light ? QColor(240, 240, 240) : palette.color(QPalette::Window);
    const QColor text = light ? QColor(Qt::black) : palette.color(QPalette::Text);
    auto hold = std::make_shared<std::atomic<bool>>(true);
    TMainForm form(96, Services(FakeTree(hold)));
    form.show();
    TVLMAnalyzerForm& a = *form.Analyzer;

    // The drive tiles: the panel behind them, the drive's name written in the panel's text.
    const QImage tiles = a.QuickInfo->DriveList->Image();
    EXPECT_EQ(QColor(tiles.pixel(tiles.width() - 2, tiles.height() - 2)), panel);
    int namePixels = 0;  // in the second tile, which no highlight tints
    for (int y = 61; y < 90; ++y) {
      for (int x = 80; x < 200; ++x) namePixels += QColor(tiles.pixel(x, y)) == text ? 1 : 0;
    }
    EXPECT_GT(namePixels, 20);

    // The scan view, held in its first folder: the sweep's panel and the Cancel strip.
    a.ScanFolder("/fake");
    ASSERT_TRUE(RunUntil([&] { return a.ProgressForm && a.ProgressForm->height() > 200; }));
    const QImage view = a.ProgressForm->grab().toImage();
    const QPoint sweep = a.ProgressForm->Panel2->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(QColor(view.pixel(sweep)), panel);
    const QPoint stripAt = a.ProgressForm->InfoStrip->geometry().bottomLeft() + QPoint(2, -2);
    EXPECT_EQ(QColor(view.pixel(stripAt)), strip);
    EXPECT_EQ(QColor(a.ProgressForm->Animation->Frame().pixel(1, 1)), panel);
    hold->store(false);
    ASSERT_TRUE(RunUntil([&] { return InResults(a); }));
  }
}

}  // namespace
}  // namespace Vellumetric::Testing
