#include "ui/results/statistics/TStatisticsTab.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

enum TMeasureChoice { CountBars, SizeBars, DiskBars };

QString SizeText(std::uint64_t bytes) {
  return QString::fromStdString(
             FormatSize(bytes, 2, QLocale::system().decimalPoint().toStdString()))
      .trimmed();
}

QString CountText(std::uint64_t count) {
  return QLocale::system().toString(static_cast<qulonglong>(count));
}

QString Percent(std::uint64_t part, std::uint64_t whole) {
  if (whole == 0) return QStringLiteral("0");
  return QLocale::system().toString(100.0 * static_cast<double>(part) / static_cast<double>(whole),
                                    'f', 1);
}

// A bound as the Find tab's size fields read it: "4K", "<8K" (K = 1024).
QString BoundText(unsigned exponent) {
  static const char* const kUnits[] = {"", "K", "M", "G", "T", "P", "E"};
  const unsigned unit = std::min(exponent / 10, 6U);
  return QString::number(std::uint64_t{1} << (exponent - unit * 10)) +
         QString::fromLatin1(kUnits[unit]);
}

QDate LocalDate(std::int64_t unixSeconds) {
  return QDateTime::fromSecsSinceEpoch(unixSeconds).date();
}

}  // namespace

TStatisticsTab::TStatisticsTab(QTabWidget* tabs, int dpi) : QObject(tabs), Tabs(tabs) {
  BuildControls(dpi);
  tabs->addTab(TabSheet, QStringLiteral("Statistics"));
  tabs->setTabVisible(tabs->indexOf(TabSheet), false);
  TypingPause.setSingleShot(true);
  TypingPause.setInterval(200);
  connect(&TypingPause, &QTimer::timeout, this, [this] { FilterChanged(); });
  connect(GroupBox, &QComboBox::currentIndexChanged, this, [this] { FilterChanged(); });
  connect(ExtensionEdit, &QLineEdit::textChanged, this, [this] { TypingPause.start(); });
  connect(MeasureBox, &QComboBox::currentIndexChanged, this, [this] { ShowCharts(); });
  connect(TimeBox, &QComboBox::currentIndexChanged, this, [this] {
    AgeModel->SetKind(TimeBox->currentIndex() == 0 ? TStatisticsTableModel::TKind::AccessAges
                                                   : TStatisticsTableModel::TKind::ChangeAges);
    ShowCharts();
  });
  connect(TablesToggle, &QCheckBox::toggled, Stack, &QStackedWidget::setCurrentIndex);
  Runner.OnResult = [this](std::shared_ptr<const TFileStatistics> stats,
                           const TStatisticsQuery& query) { Show(std::move(stats), query); };
  SizeChart->OnBarActivated = [this](int bar) { FindSizes(bar); };
  YearChart->OnBarActivated = [this](int bar) {
    if (Stats) FindPeriod(ShownAges().Years.at(static_cast<std::size_t>(bar)));
  };
  MonthChart->OnBarActivated = [this](int bar) {
    if (Stats) FindPeriod(ShownAges().Months.at(static_cast<std::size_t>(bar)));
  };
}

TStatisticsTab::~TStatisticsTab() {
  Runner.Clear();  // before the records it reads go
}

void TStatisticsTab::BuildControls(int dpi) {
  TabSheet = new QWidget;
  TabSheet->setObjectName(QStringLiteral("StatisticsTabSheet"));
  auto* form = new QHBoxLayout;
  const auto addField = [&](const QString& caption, QWidget* field, int stretch) {
    auto* label = new QLabel(caption, TabSheet);
    label->setBuddy(field);
    form->addWidget(label);
    form->addWidget(field, stretch);
  };
  GroupBox = new QComboBox(TabSheet);
  GroupBox->setObjectName(QStringLiteral("StatisticsGroup"));
  addField(QStringLiteral("T&ype:"), GroupBox, 0);
  ExtensionEdit = new QLineEdit(TabSheet);
  ExtensionEdit->setObjectName(QStringLiteral("StatisticsExtension"));
  ExtensionEdit->setPlaceholderText(QStringLiteral("e.g. .so"));
  ExtensionEdit->setClearButtonEnabled(true);
  ExtensionEdit->setMaximumWidth(Scaled(110, dpi, 96));
  addField(QStringLiteral("E&xtension:"), ExtensionEdit, 0);
  MeasureBox = new QComboBox(TabSheet);
  MeasureBox->setObjectName(QStringLiteral("StatisticsMeasure"));
  MeasureBox->addItems(
      {QStringLiteral("Number of files"), QStringLiteral("Size"), QStringLiteral("Size on disk")});
  addField(QStringLiteral("&Bars show:"), MeasureBox, 0);
  TimeBox = new QComboBox(TabSheet);
  TimeBox->setObjectName(QStringLiteral("StatisticsTime"));
  TimeBox->addItems({QStringLiteral("Last access"), QStringLiteral("Last change")});
  addField(QStringLiteral("&Ages by:"), TimeBox, 0);
  form->addStretch(1);
  TablesToggle = new QCheckBox(QStringLiteral("Show as &tables"), TabSheet);
  TablesToggle->setObjectName(QStringLiteral("StatisticsTables"));
  form->addWidget(TablesToggle);
  FillGroups({});

  Stack = new QStackedWidget(TabSheet);
  Stack->addWidget(BuildPictures());
  Stack->addWidget(BuildTables());
  PercentileLabel = new QLabel(TabSheet);
  PercentileLabel->setObjectName(QStringLiteral("StatisticsPercentiles"));
  PercentileLabel->setWordWrap(true);
  PercentileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Status = new QLabel(TabSheet);
  Status->setObjectName(QStringLiteral("StatisticsStatus"));
  auto* layout = new QVBoxLayout(TabSheet);
  layout->addLayout(form);
  layout->addWidget(Stack, 1);
  layout->addWidget(PercentileLabel);
  layout->addWidget(Status);
}

QWidget* TStatisticsTab::BuildPictures() {
  auto* split = new QSplitter(Qt::Horizontal);
  SizeChart = new TBarChartView(split);
  SizeChart->setObjectName(QStringLiteral("FileSizesChart"));
  SizeChart->setAccessibleName(QStringLiteral("File sizes chart"));
  auto* ages = new QWidget(split);
  auto* agesLayout = new QVBoxLayout(ages);
  agesLayout->setContentsMargins(0, 0, 0, 0);
  YearChart = new TBarChartView(ages);
  YearChart->setObjectName(QStringLiteral("YearChart"));
  YearChart->setAccessibleName(QStringLiteral("File ages by year chart"));
  MonthChart = new TBarChartView(ages);
  MonthChart->setObjectName(QStringLiteral("MonthChart"));
  MonthChart->setAccessibleName(QStringLiteral("File ages by month chart"));
  agesLayout->addWidget(YearChart, 3);
  agesLayout->addWidget(MonthChart, 2);
  const auto sizeText = [](double v) { return SizeText(static_cast<std::uint64_t>(v)); };
  const auto valueText = [this, sizeText](double v) {
    return MeasureBox->currentIndex() == CountBars ? CountText(static_cast<std::uint64_t>(v))
                                                   : sizeText(v);
  };
  for (TBarChartView* chart : {SizeChart, YearChart, MonthChart}) chart->ValueText = valueText;
  split->addWidget(SizeChart);
  split->addWidget(ages);
  split->setChildrenCollapsible(false);
  return split;
}

QWidget* TStatisticsTab::BuildTables() {
  auto* split = new QSplitter(Qt::Horizontal);
  SizeModel = new TStatisticsTableModel(this, TStatisticsTableModel::TKind::Sizes);
  AgeModel = new TStatisticsTableModel(this, TStatisticsTableModel::TKind::AccessAges);
  const auto makeTable = [split](const QString& name, const QString& spoken,
                                 TStatisticsTableModel* model) {
    auto* table = new QTreeView(split);
    table->setObjectName(name);
    table->setAccessibleName(spoken);
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setModel(model);
    table->header()->setStretchLastSection(false);
    table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    split->addWidget(table);
    return table;
  };
  SizeTable = makeTable(QStringLiteral("SizeTable"), QStringLiteral("File sizes table"), SizeModel);
  AgeTable = makeTable(QStringLiteral("AgeTable"), QStringLiteral("File ages table"), AgeModel);
  for (QTreeView* table : {SizeTable, AgeTable}) {
    connect(table, &QAbstractItemView::activated, this, [this, table](const QModelIndex& index) {
      if (!Stats) return;
      const auto row = static_cast<std::size_t>(index.row());
      if (table == SizeTable) {
        FindSizes(index.row());
        return;
      }
      const TAgeTable& ages = ShownAges();
      if (row < ages.Years.size()) FindPeriod(ages.Years[row]);
      const std::size_t month = row - ages.Years.size();
      if (row >= ages.Years.size() && month < ages.Months.size()) FindPeriod(ages.Months[month]);
    });
  }
  return split;
}

void TStatisticsTab::FillGroups(const TFileExtDescList& groups) {
  const QVariant chosen = GroupBox->currentData();
  const QSignalBlocker quiet(GroupBox);
  GroupBox->clear();
  GroupBox->addItem(QStringLiteral("All files"), TStatisticsQuery::AnyGroup);
  for (const TFileExtDescData& g : groups) GroupBox->addItem(QString::fromStdString(g.Desc), g.ID);
  GroupBox->addItem(QStringLiteral("Files in no group"), TFileRecordStore::NoGroup);
  const int again = chosen.isValid() ? GroupBox->findData(chosen) : -1;
  GroupBox->setCurrentIndex(std::max(0, again));
}

void TStatisticsTab::ScanStarting() {
  Runner.Clear();
  TypingPause.stop();
  Stats.reset();
  SizeModel->Attach(nullptr);
  AgeModel->Attach(nullptr);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), false);
}

void TStatisticsTab::ScanFinished(const TFileRecordStore& files, const TFileExtDescList& groups,
                                  const std::string& root) {
  Runner.SetScan(&files, NativePathStyle());
  RootPath = root;
  FillGroups(groups);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), true);
  FilterChanged();
}

void TStatisticsTab::FilterChanged() {
  TypingPause.stop();
  TStatisticsQuery query;
  query.Group = GroupBox->currentData().toInt();
  QString extension = ExtensionEdit->text().trimmed();
  if (!extension.isEmpty() && !extension.startsWith(QLatin1Char('.'))) {
    extension.prepend(QLatin1Char('.'));  // "so" means ".so"
  }
  query.Extension = extension.toStdString();
  query.Now = QDateTime::currentSecsSinceEpoch();
  Status->setText(QStringLiteral("Working out the figures..."));
  Runner.Request(query);
}

void TStatisticsTab::Show(std::shared_ptr<const TFileStatistics> stats,
                          const TStatisticsQuery& query) {
  Stats = std::move(stats);
  StatsQuery = query;
  SizeModel->Attach(Stats);
  AgeModel->Attach(Stats);
  ShowCharts();
  const TStatCell& t = Stats->Total;
  Status->setText(QStringLiteral("%1 %2, %3, %4 on disk")
                      .arg(CountText(t.Count),
                           t.Count == 1 ? QStringLiteral("file") : QStringLiteral("files"),
                           SizeText(t.Bytes), SizeText(t.DiskBytes)));
  QStringList parts;
  for (std::size_t i = 0; i < PercentileRanks.size() && t.Count > 0; ++i) {
    parts << QStringLiteral("P%1 %2").arg(PercentileRanks[i]).arg(SizeText(Stats->Percentiles[i]));
  }
  PercentileLabel->setText(parts.isEmpty() ? QString()
                                           : QStringLiteral("Percentiles of the file count: ") +
                                                 parts.join(QStringLiteral(", ")));
}

const TAgeTable& TStatisticsTab::ShownAges() const {
  return TimeBox->currentIndex() == 0 ? Stats->Access : Stats->Change;
}

double TStatisticsTab::Height(const TStatCell& cell) const {
  switch (MeasureBox->currentIndex()) {
    case SizeBars:
      return static_cast<double>(cell.Bytes);
    case DiskBars:
      return static_cast<double>(cell.DiskBytes);
    default:
      return static_cast<double>(cell.Count);
  }
}

QString TStatisticsTab::CellToolTip(const QString& range, const TStatCell& cell) const {
  const TStatCell& t = Stats->Total;
  return QStringLiteral(
             "%1\n%2 files (%3 % of the files)\n%4 (%5 % of the size)\n%6 on disk\n"
             "Click to find these files")
      .arg(range, CountText(cell.Count), Percent(cell.Count, t.Count), SizeText(cell.Bytes),
           Percent(cell.Bytes, t.Bytes), SizeText(cell.DiskBytes));
}

void TStatisticsTab::ShowCharts() {
  if (!Stats) return;
  ShowSizeChart();
  ShowAgeCharts();
}

void TStatisticsTab::ShowSizeChart() {
  static const QString kTitles[] = {QStringLiteral("File sizes: files per size range"),
                                    QStringLiteral("File sizes: bytes per size range"),
                                    QStringLiteral("File sizes: bytes on disk per size range")};
  TBarChartView::TBars bars;
  bars.Title = kTitles[MeasureBox->currentIndex()];
  bars.Bytes = MeasureBox->currentIndex() != CountBars;
  std::size_t most = 0;
  for (std::size_t i = 0; i < Stats->SizeBuckets.size(); ++i) {
    const TSizeBucket& b = Stats->SizeBuckets[i];
    bars.Values.push_back(Height(b.Files));
    bars.Labels << (b.Exponent == 0 ? QStringLiteral("0")
                                    : QString::fromStdString(PowerOfTwoSizeText(b.Exponent - 1)));
    bars.ToolTips << CellToolTip(QString::fromStdString(BucketText(b)), b.Files);
    if (bars.Values[i] > bars.Values[most]) most = i;
  }
  if (Stats->Total.Count > 0) {
    // P25, P50, P75: the quartiles and the median.
    bars.MarkSizes = {Stats->Percentiles[4], Stats->Percentiles[5], Stats->Percentiles[6]};
    bars.MarkLabels = {QStringLiteral("Q1"), QStringLiteral("Median"), QStringLiteral("Q3")};
    bars.StrongMark = 1;
  }
  SizeChart->SetBars(bars);
  if (Stats->SizeBuckets.empty()) {
    SizeChart->setAccessibleDescription(QStringLiteral("No files."));
    return;
  }
  const TSizeBucket& top = Stats->SizeBuckets[most];
  SizeChart->setAccessibleDescription(
      QStringLiteral("%1 files from 0 B to %2. The tallest bar: %3, %4 % of the %5. Median %6. "
                     "Show as tables gives every figure.")
          .arg(CountText(Stats->Total.Count), SizeText(Stats->Percentiles[10]),
               QString::fromStdString(BucketText(top)),
               Percent(static_cast<std::uint64_t>(Height(top.Files)),
                       static_cast<std::uint64_t>(Height(Stats->Total))),
               MeasureBox->currentIndex() == CountBars ? QStringLiteral("files")
                                                       : QStringLiteral("bytes"),
               SizeText(Stats->Percentiles[5])));
}

void TStatisticsTab::ShowAgeCharts() {
  const TAgeTable& ages = ShownAges();
  const QString time = TimeBox->currentText();
  const QLocale locale = QLocale::system();
  TBarChartView::TBars years;
  years.Title = time + QStringLiteral(" by year");
  years.Bytes = MeasureBox->currentIndex() != CountBars;
  for (const TAgePeriod& p : ages.Years) {
    years.Values.push_back(Height(p.Files));
    years.Labels << QString::number(p.Year);
    years.ToolTips << CellToolTip(time + QStringLiteral(" in ") + PeriodText(p, locale), p.Files);
  }
  TBarChartView::TBars months;
  months.Bytes = years.Bytes;
  if (!ages.Months.empty()) {
    months.Title = time + QStringLiteral(" by month, %1 and %2")
                              .arg(ages.Months.front().Year)
                              .arg(ages.Months.back().Year);
  }
  for (const TAgePeriod& p : ages.Months) {
    months.Values.push_back(Height(p.Files));
    months.Labels << locale.monthName(p.Month, QLocale::ShortFormat);
    months.ToolTips << CellToolTip(time + QStringLiteral(" in ") + PeriodText(p, locale), p.Files);
  }
  YearChart->SetBars(years);
  MonthChart->SetBars(months);
  QString description = QStringLiteral("No file has a time.");
  if (!ages.Years.empty()) {
    const auto top = std::max_element(
        ages.Years.begin(), ages.Years.end(),
        [](const TAgePeriod& a, const TAgePeriod& b) { return a.Files.Count < b.Files.Count; });
    description = QStringLiteral(
                      "%1 from %2 to %3; the most files, %4 %, in %5. Show as tables "
                      "gives every figure.")
                      .arg(time)
                      .arg(ages.Years.front().Year)
                      .arg(ages.Years.back().Year)
                      .arg(Percent(top->Files.Count, Stats->Total.Count))
                      .arg(top->Year);
  }
  YearChart->setAccessibleDescription(description);
  MonthChart->setAccessibleDescription(months.Title);
}

void TStatisticsTab::FindSizes(int bucket) {
  if (!Stats || bucket < 0 || static_cast<std::size_t>(bucket) >= Stats->SizeBuckets.size() ||
      !OnFind) {
    return;
  }
  const TSizeBucket& b = Stats->SizeBuckets[static_cast<std::size_t>(bucket)];
  TFindPreset preset;
  preset.Group = StatsQuery.Group;
  preset.Extension = QString::fromStdString(StatsQuery.Extension);
  preset.MinSize = b.Exponent == 0 ? QStringLiteral("0") : BoundText(b.Exponent - 1);
  // The last bucket reaches the largest size there is: no upper bound then.
  if (b.Exponent < 64) preset.MaxSize = QLatin1Char('<') + BoundText(b.Exponent);
  OnFind(preset);
}

void TStatisticsTab::FindPeriod(const TAgePeriod& period) {
  if (!OnFind) return;
  TFindPreset preset;
  preset.Group = StatsQuery.Group;
  preset.Extension = QString::fromStdString(StatsQuery.Extension);
  preset.Time =
      TimeBox->currentIndex() == 0 ? TFileQuery::TTime::Access : TFileQuery::TTime::Change;
  preset.From = LocalDate(period.From);
  preset.To = LocalDate(period.To - 1);
  OnFind(preset);
}

}  // namespace Vellumetric
