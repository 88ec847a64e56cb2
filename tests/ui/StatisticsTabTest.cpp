// The Statistics tab on a real tree: its bars against GNU find, a click on a bar against what the
// Find tab then finds, the tables behind the toggle, and its colours in every scheme.
#include <gtest/gtest.h>

#include <QTest>
#include <bit>
#include <ctime>
#include <map>

#include "SchemePalettes.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "UiTestSupport.h"
#include "UiWait.h"
#include "system/ColourContrast.h"
#include "ui/windows/TMainForm.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace Vellumetric::Testing {
namespace {

void Click(TBarChartView* chart, int bar) {
  const TBarChartLayout l = chart->CurrentPicture().Layout;
  const auto i = static_cast<std::size_t>(bar);
  const QPoint at(static_cast<int>((l.BarLeft[i] + l.BarRight[i]) / 2),
                  static_cast<int>(l.Bottom) - 1);
  QTest::mouseClick(chart, Qt::LeftButton, {}, at);
}

bool Ready(TVLMAnalyzerForm& a) {
  return Settled(a) && !a.StatsTab->Computing() && a.StatsTab->Shown() != nullptr;
}

#ifndef _WIN32
// Sets a file's last change (its modification) to noon on the first of `month` in `year`, in
// local time.
void SetChanged(const std::string& path, int year, int month) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = 1;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  const struct timespec times[2] = {{0, UTIME_OMIT}, {std::mktime(&local), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}
#endif

TEST(StatisticsTab, BarsCountWhatGnuFindListsAndAClickFindsThoseFiles) {
  TTempDir tree;
  MakeFolders(tree / "a/b");
  const unsigned long long sizes[] = {0, 1, 5, 700, 4096, 5000, 8191, 8192, 100000, 3 << 20};
  for (int i = 0; i < 40; ++i) {
    const std::string path = tree / ((i % 2 ? "a/b/f" : "a/g") + std::to_string(i) + ".dat");
    MakeFile(path, sizes[i % std::size(sizes)] + static_cast<unsigned long long>(i % 3));
#ifndef _WIN32
    SetChanged(path, 2016 + i % 5, 1 + i % 12);
#endif
  }
  TMainForm form(96, ServicesWithDefaults());
  form.resize(1300, 900);
  form.show();
  TVLMAnalyzerForm& a = *form.Analyzer;
  a.ScanFolder(tree.Path());
  ASSERT_TRUE(RunUntil([&] { return Ready(a); }));
  TStatisticsTab& stats = *a.StatsTab;
  a.PageControl1->setCurrentWidget(stats.TabSheet);

  std::map<int, std::uint64_t> perBucket;
  for (const TFileFact& f : FindRegularFiles(tree.Path())) ++perBucket[std::bit_width(f.Size)];
  const TBarChartView::TBars& bars = stats.SizeChart->Bars();
  ASSERT_EQ(bars.Values.size(), static_cast<std::size_t>(perBucket.rbegin()->first + 1));
  for (std::size_t b = 0; b < bars.Values.size(); ++b) {
    EXPECT_EQ(bars.Values[b], static_cast<double>(perBucket[static_cast<int>(b)])) << b;
  }

  // [4 KB, 8 KB): the Find tab gets that range and finds exactly the bar's files.
  Click(stats.SizeChart, 13);
  TFindTabController& find = *a.FindTab;
  EXPECT_EQ(a.PageControl1->currentWidget(), find.TabSheet);
  ASSERT_TRUE(RunUntil([&] { return !find.Searching() && find.SharedResult(); }));
  EXPECT_EQ(find.SharedResult()->Count, perBucket[13]);
  EXPECT_EQ(find.ShownQuery().MinSize, 4096u);
  EXPECT_EQ(find.ShownQuery().MaxSize, 8191u);

#ifndef _WIN32
  // Ages by last change: a year's bar finds the files changed that year.
  a.PageControl1->setCurrentWidget(stats.TabSheet);
  stats.TimeBox->setCurrentIndex(1);
  const std::vector<TAgePeriod>& years = stats.Shown()->Change.Years;
  ASSERT_GE(years.size(), 5u);
  EXPECT_EQ(years.front().Year, 2016);
  EXPECT_EQ(years[2].Files.Count, 8u);  // 2018: every fifth file
  Click(stats.YearChart, 2);
  ASSERT_TRUE(RunUntil([&] { return !find.Searching() && find.SharedResult(); }));
  EXPECT_EQ(find.SharedResult()->Count, 8u);
  EXPECT_EQ(find.ShownQuery().MinSize, 0u);  // the size range went
#endif

  // The same figures as tables, read the way a screen reader reads them.
  a.PageControl1->setCurrentWidget(stats.TabSheet);
  QTest::mouseClick(stats.TablesToggle, Qt::LeftButton);
  EXPECT_EQ(stats.Stack->currentIndex(), 1);
  ASSERT_EQ(stats.SizeModel->rowCount({}), static_cast<int>(bars.Values.size()));
  EXPECT_EQ(stats.SizeModel->index(13, 0).data().toString(), QStringLiteral("4 KB to 8 KB"));
  EXPECT_EQ(stats.SizeModel->index(13, 1).data().toString(),
            QLocale::system().toString(static_cast<qulonglong>(perBucket[13])));
  EXPECT_FALSE(stats.SizeTable->accessibleName().isEmpty());
  EXPECT_FALSE(stats.SizeChart->accessibleDescription().isEmpty());
}

// A bar must stand out from the chart's background (3:1, as for any graphic that carries
// meaning) and the labels must be there, under the light, dark and high-contrast schemes.
TEST(StatisticsTab, BarsAndLabelsStandOutInEveryScheme) {
  for (const auto& [name, palette] : ColourSchemes()) {
    TSchemeInUse scheme(palette);
    TBarChartView chart(nullptr);
    chart.resize(500, 300);
    chart.SetBars({QStringLiteral("Sizes"),
                   {4, 9, 2},
                   {QStringLiteral("1 B"), QStringLiteral("2 B"), QStringLiteral("4 B")},
                   {},
                   false,
                   {},
                   {},
                   -1});
    const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const TBarChartLayout l = chart.CurrentPicture().Layout;
    const QRgb background = image.pixel(2, image.height() - 2);
    const QRgb bar = image.pixel(static_cast<int>((l.BarLeft[1] + l.BarRight[1]) / 2),
                                 static_cast<int>(l.Bottom) - 3);
    const auto rgb = [](QRgb c) {
      return TRgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                  static_cast<std::uint8_t>(qBlue(c))};
    };
    EXPECT_GE(ContrastRatio(rgb(bar), rgb(background)), 3.0) << name;
    EXPECT_EQ(QColor(background), palette.color(QPalette::Base)) << name;
    int text = 0;  // pixels of the labels below the axis
    for (int y = static_cast<int>(l.Bottom) + 3; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) text += image.pixel(x, y) != background ? 1 : 0;
    }
    EXPECT_GT(text, 30) << name;
  }
}

}  // namespace
}  // namespace Vellumetric::Testing
