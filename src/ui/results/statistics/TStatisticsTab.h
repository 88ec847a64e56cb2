#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>

#include "export/StatisticsTables.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "statistics/FileStatistics.h"
#include "ui/models/TStatisticsTableModel.h"
#include "ui/results/find/TFindTabController.h"
#include "ui/results/statistics/TBarChartView.h"
#include "ui/results/statistics/TStatisticsRunner.h"

namespace Vellumetric {

// The "Statistics" tab of the results view: how the scan's file sizes spread (a histogram of
// power-of-two ranges with the quartiles marked) and how old the bytes are (files per year of
// last access or last change, and per month of last year and this year), for all files or one
// group or extension, worked out beside the window (TStatisticsRunner). A bar's tooltip gives
// its figures and a click on it asks Find for those files (OnFind). "Show as tables" puts the
// same figures in two tables, which is what screen readers read.
class TStatisticsTab final : public QObject {
 public:
  TStatisticsTab(QTabWidget* tabs, int dpi);
  ~TStatisticsTab() override;
  TStatisticsTab(const TStatisticsTab&) = delete;
  TStatisticsTab& operator=(const TStatisticsTab&) = delete;

  // Before a scan refills the records: stops the worker and hides the tab.
  void ScanStarting();
  // After a scan has finished: the tab shows and its figures are worked out.
  void ScanFinished(const TFileRecordStore& files, const TFileExtDescList& groups,
                    const std::string& root);

  // The figures shown (null until the first are worked out) and the scanned root.
  [[nodiscard]] std::shared_ptr<const TFileStatistics> Shown() const { return Stats; }
  [[nodiscard]] const std::string& Root() const noexcept { return RootPath; }
  [[nodiscard]] bool Computing() const noexcept { return Runner.Busy(); }

  // A bar was clicked: the files it counts, for the Find tab.
  std::function<void(const TFindPreset&)> OnFind;

  QWidget* TabSheet = nullptr;
  QComboBox* GroupBox = nullptr;
  QLineEdit* ExtensionEdit = nullptr;
  QComboBox* MeasureBox = nullptr;  // what the bars' heights give: files, size or on disk
  QComboBox* TimeBox = nullptr;     // last access or last change
  QCheckBox* TablesToggle = nullptr;
  QStackedWidget* Stack = nullptr;
  TBarChartView* SizeChart = nullptr;
  TBarChartView* YearChart = nullptr;
  TBarChartView* MonthChart = nullptr;
  QTreeView* SizeTable = nullptr;
  QTreeView* AgeTable = nullptr;
  TStatisticsTableModel* SizeModel = nullptr;
  TStatisticsTableModel* AgeModel = nullptr;
  QLabel* PercentileLabel = nullptr;
  QLabel* Status = nullptr;
  TStatisticsRunner Runner;

 private:
  void BuildControls(int dpi);
  [[nodiscard]] QWidget* BuildPictures();
  [[nodiscard]] QWidget* BuildTables();
  void FillGroups(const TFileExtDescList& groups);
  void FilterChanged();
  void Show(std::shared_ptr<const TFileStatistics> stats, const TStatisticsQuery& query);
  void ShowCharts();
  void ShowSizeChart();
  void ShowAgeCharts();
  [[nodiscard]] const TAgeTable& ShownAges() const;
  [[nodiscard]] double Height(const TStatCell& cell) const;
  [[nodiscard]] QString CellToolTip(const QString& range, const TStatCell& cell) const;
  void FindSizes(int bucket);
  void FindPeriod(const TAgePeriod& period);

  QTabWidget* Tabs;
  QTimer TypingPause;
  std::shared_ptr<const TFileStatistics> Stats;
  TStatisticsQuery StatsQuery;  // what found Stats
  std::string RootPath;
};

}  // namespace Vellumetric
