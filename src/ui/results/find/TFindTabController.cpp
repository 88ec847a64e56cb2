#include "ui/results/find/TFindTabController.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>

#include "find/SizeText.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "ui/common/UiMetrics.h"
#include "ui/models/FileListHeader.h"
#include "ui/results/ShareBarList.h"

namespace Vellumetric {
namespace {

// A word without pattern characters is looked for anywhere in the name, as a search field is
// expected to do; with them, the name must match the whole pattern.
std::string NamePattern(const QString& text) {
  const std::string typed = text.toStdString();
  if (typed.empty() || typed.find_first_of("*?[\\") != std::string::npos) return typed;
  return "*" + typed + "*";
}

QString MatchesText(const TFindResult& found) {
  const QLocale locale = QLocale::system();
  const auto size = [&](std::uint64_t bytes) {
    return QString::fromStdString(FormatSize(bytes, 2, locale.decimalPoint().toStdString()))
        .trimmed();
  };
  return QStringLiteral("%1 %2, %3 (%4 bytes), %5 on disk")
      .arg(locale.toString(static_cast<qulonglong>(found.Count)),
           found.Count == 1 ? QStringLiteral("file") : QStringLiteral("files"), size(found.Bytes),
           locale.toString(static_cast<qulonglong>(found.Bytes)), size(found.DiskBytes));
}

const QString kHint = QStringLiteral(
    "Type a name or a pattern (* any run of characters, ? one character), or set a filter.");

}  // namespace

TFindTabController::TFindTabController(QTabWidget* tabs, TDesktopShell& shell, int dpi)
    : QObject(tabs), Tabs(tabs), Shell(shell) {
  BuildControls(dpi);
  tabs->addTab(TabSheet, QStringLiteral("Find"));
  tabs->setTabVisible(tabs->indexOf(TabSheet), false);
  Runner.OnResult = [this](std::shared_ptr<const TFindOutcome> outcome) {
    Show(std::move(outcome));
  };
  for (QLineEdit* edit : {NameEdit, MinEdit, MaxEdit}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { FormChanged(); });
  }
  connect(GroupBox, &QComboBox::currentIndexChanged, this, [this] { FormChanged(); });
  connect(OlderSpin, &QSpinBox::valueChanged, this, [this] { FormChanged(); });
  connect(ExtensionEdit, &QLineEdit::textChanged, this, [this] { FormChanged(); });
  connect(TimeBox, &QComboBox::currentIndexChanged, this, [this] {
    FromDate->setEnabled(TimeBox->currentIndex() != 0);
    ToDate->setEnabled(TimeBox->currentIndex() != 0);
    FormChanged();
  });
  for (QDateEdit* date : {FromDate, ToDate}) {
    connect(date, &QDateEdit::dateChanged, this, [this] { FormChanged(); });
  }
  connect(List->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            const TNodeId folder = Model->FolderAt(current.row());
            if (folder != NoNode && OnFolderFocused) OnFolderFocused(folder);
          });
  connect(List, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    const std::string path = Model->PathAt(index.row());
    if (!path.empty()) Shell.ShowItemInFolder(path);
  });
}

TFindTabController::~TFindTabController() {
  Runner.Clear();  // before the model and the scan it reads go
}

void TFindTabController::BuildControls(int dpi) {
  TabSheet = new QWidget;
  TabSheet->setObjectName(QStringLiteral("FindTabSheet"));
  auto* form = new QHBoxLayout;
  const auto addField = [&](const QString& caption, QWidget* field, int stretch) {
    auto* label = new QLabel(caption, TabSheet);
    label->setBuddy(field);
    form->addWidget(label);
    form->addWidget(field, stretch);
    return label;
  };
  NameEdit = new QLineEdit(TabSheet);
  NameEdit->setObjectName(QStringLiteral("FindName"));
  NameEdit->setPlaceholderText(QStringLiteral("*.iso, report, IMG_????.jpg"));
  NameEdit->setClearButtonEnabled(true);
  addField(QStringLiteral("&Name:"), NameEdit, 3);
  TabSheet->setFocusProxy(NameEdit);  // the page's key goes straight to typing a name
  MinEdit = new QLineEdit(TabSheet);
  MinEdit->setObjectName(QStringLiteral("FindMinSize"));
  MinEdit->setPlaceholderText(QStringLiteral("e.g. 10M"));
  MinLabel = addField(QStringLiteral("&Size from"), MinEdit, 1);
  MaxEdit = new QLineEdit(TabSheet);
  MaxEdit->setObjectName(QStringLiteral("FindMaxSize"));
  MaxEdit->setPlaceholderText(QStringLiteral("e.g. 2G"));
  addField(QStringLiteral("&to"), MaxEdit, 1);
  GroupBox = new QComboBox(TabSheet);
  GroupBox->setObjectName(QStringLiteral("FindGroup"));
  addField(QStringLiteral("T&ype:"), GroupBox, 0);
  OlderSpin = new QSpinBox(TabSheet);
  OlderSpin->setObjectName(QStringLiteral("FindOlderThan"));
  OlderSpin->setRange(0, 100000);
  OlderSpin->setSpecialValueText(QStringLiteral("any time"));
  OlderSpin->setSuffix(QStringLiteral(" days ago"));
  addField(QStringLiteral("&Last access over"), OlderSpin, 0);
  FillGroups({});

  Model = new TFindResultsModel(this);
  List = MakeShareBarList(TabSheet, QStringLiteral("FindResults"), Model);
  QHeaderView* header = List->header();
  header->setStretchLastSection(true);
  header->moveSection(FileListDiskColumn, 2);  // beside Size
  const int widths[] = {300, 100, 170};
  for (int c = 0; c < 3; ++c) header->resizeSection(c, Scaled(widths[c], dpi, 96));
  header->resizeSection(FileListDiskColumn, Scaled(100, dpi, 96));
  Status = new QLabel(kHint, TabSheet);
  Status->setObjectName(QStringLiteral("FindStatus"));
  Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(TabSheet);
  layout->addLayout(form);
  layout->addLayout(BuildSecondRow());
  layout->addWidget(List, 1);
  layout->addWidget(Status);
}

QLayout* TFindTabController::BuildSecondRow() {
  auto* row = new QHBoxLayout;
  const auto addField = [&](const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, TabSheet);
    label->setBuddy(field);
    row->addWidget(label);
    row->addWidget(field);
  };
  ExtensionEdit = new QLineEdit(TabSheet);
  ExtensionEdit->setObjectName(QStringLiteral("FindExtension"));
  ExtensionEdit->setPlaceholderText(QStringLiteral("e.g. .so"));
  ExtensionEdit->setToolTip(
      QStringLiteral("Files of this extension; libc.so.6 counts as a .so file"));
  addField(QStringLiteral("E&xtension:"), ExtensionEdit);
  TimeBox = new QComboBox(TabSheet);
  TimeBox->setObjectName(QStringLiteral("FindTime"));
  TimeBox->addItems(
      {QStringLiteral("any time"), QStringLiteral("last access"), QStringLiteral("last change")});
  addField(QStringLiteral("&When:"), TimeBox);
  const QDate today = QDate::currentDate();
  FromDate = new QDateEdit(today.addYears(-1), TabSheet);
  FromDate->setObjectName(QStringLiteral("FindFromDate"));
  ToDate = new QDateEdit(today, TabSheet);
  ToDate->setObjectName(QStringLiteral("FindToDate"));
  for (QDateEdit* date : {FromDate, ToDate}) {
    date->setCalendarPopup(true);
    date->setEnabled(false);
  }
  addField(QStringLiteral("betwee&n"), FromDate);
  addField(QStringLiteral("and"), ToDate);
  row->addStretch(1);
  return row;
}

void TFindTabController::FillGroups(const TFileExtDescList& groups) {
  const QVariant chosen = GroupBox->currentData();
  const QSignalBlocker quiet(GroupBox);
  GroupBox->clear();
  GroupBox->addItem(QStringLiteral("All files"), TFileQuery::AnyGroup);
  for (const TFileExtDescData& g : groups) {
    GroupBox->addItem(QString::fromStdString(g.Desc), g.ID);
  }
  GroupBox->addItem(QStringLiteral("Files in no group"), TFileRecordStore::NoGroup);
  const int again = chosen.isValid() ? GroupBox->findData(chosen) : -1;
  GroupBox->setCurrentIndex(std::max(0, again));
}

void TFindTabController::ScanStarting() {
  Runner.Clear();
  Tree = nullptr;
  Files = nullptr;
  ShowNothing(kHint);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), false);
}

void TFindTabController::ScanFinished(const TFolderTree& tree, const TFileRecordStore& files,
                                      const TFileExtDescList& groups) {
  Runner.SetScan(&tree, &files, NativePathStyle());
  Tree = &tree;
  Files = &files;
  FillGroups(groups);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet), true);
  FormChanged();
}

bool TFindTabController::FocusSearch() {
  const int index = Tabs->indexOf(TabSheet);
  if (Files == nullptr || !Tabs->isTabVisible(index)) return false;
  Tabs->setCurrentIndex(index);
  NameEdit->setFocus(Qt::ShortcutFocusReason);
  NameEdit->selectAll();
  return true;
}

bool TFindTabController::ShowPreset(const TFindPreset& preset) {
  if (Files == nullptr) return false;
  {
    // One search for the whole form, not one per field.
    const QSignalBlocker quiet[] = {
        QSignalBlocker(NameEdit), QSignalBlocker(MinEdit),   QSignalBlocker(MaxEdit),
        QSignalBlocker(GroupBox), QSignalBlocker(OlderSpin), QSignalBlocker(ExtensionEdit),
        QSignalBlocker(TimeBox),  QSignalBlocker(FromDate),  QSignalBlocker(ToDate)};
    NameEdit->clear();
    MinEdit->setText(preset.MinSize);
    MaxEdit->setText(preset.MaxSize);
    GroupBox->setCurrentIndex(std::max(0, GroupBox->findData(preset.Group)));
    OlderSpin->setValue(0);
    ExtensionEdit->setText(preset.Extension);
    TimeBox->setCurrentIndex(static_cast<int>(preset.Time));
    if (preset.Time != TFileQuery::TTime::None) {
      FromDate->setDate(preset.From);
      ToDate->setDate(preset.To);
    }
    FromDate->setEnabled(preset.Time != TFileQuery::TTime::None);
    ToDate->setEnabled(preset.Time != TFileQuery::TTime::None);
  }
  Tabs->setCurrentIndex(Tabs->indexOf(TabSheet));
  FormChanged();
  return true;
}

void TFindTabController::SetMeasure(TMeasure measure) {
  if (measure == Measure) return;
  Measure = measure;
  MinLabel->setText(measure == TMeasure::Disk ? QStringLiteral("&Size on disk from")
                                              : QStringLiteral("&Size from"));
  FormChanged();
}

std::shared_ptr<const TFindResult> TFindTabController::SharedResult() const {
  if (!Outcome) return nullptr;
  return std::shared_ptr<const TFindResult>(Outcome, &Outcome->Result);
}

TFileQuery TFindTabController::ShownQuery() const {
  return Outcome ? Outcome->Query : TFileQuery{};
}

bool TFindTabController::ReadQuery(TFileQuery& query, QString& error) const {
  query.Name = NamePattern(NameEdit->text());
  std::string reason;
  const std::string min = MinEdit->text().trimmed().toStdString();
  if (!min.empty() && !ParseSizeBound(min, TSizeBound::Minimum, query.MinSize, reason)) {
    error = QStringLiteral("Size from: ") + QString::fromStdString(reason);
    return false;
  }
  const std::string max = MaxEdit->text().trimmed().toStdString();
  if (!max.empty() && !ParseSizeBound(max, TSizeBound::Maximum, query.MaxSize, reason)) {
    error = QStringLiteral("Size to: ") + QString::fromStdString(reason);
    return false;
  }
  if (query.MinSize > query.MaxSize) {
    error = QStringLiteral("The smallest size is larger than the largest: nothing can match.");
    return false;
  }
  query.Group = GroupBox->currentData().toInt();
  query.OlderThanDays = OlderSpin->value() > 0 ? OlderSpin->value() : -1;
  query.Now = QDateTime::currentSecsSinceEpoch();
  query.Top = MaxListed;
  query.Measure = Measure;
  QString extension = ExtensionEdit->text().trimmed();
  if (!extension.isEmpty() && !extension.startsWith(QLatin1Char('.'))) {
    extension.prepend(QLatin1Char('.'));
  }
  query.Extension = extension.toStdString();
  query.Time = static_cast<TFileQuery::TTime>(TimeBox->currentIndex());
  if (query.Time != TFileQuery::TTime::None) {
    if (FromDate->date() > ToDate->date()) {
      error = QStringLiteral("The first day is after the last: nothing can match.");
      return false;
    }
    // Whole local days: from the first one's midnight to the midnight after the last one.
    query.TimeFrom = FromDate->date().startOfDay().toSecsSinceEpoch();
    query.TimeBefore = ToDate->date().addDays(1).startOfDay().toSecsSinceEpoch();
  }
  return !query.Name.empty() || !min.empty() || !max.empty() ||
         query.Group != TFileQuery::AnyGroup || query.OlderThanDays >= 0 ||
         !query.Extension.empty() || query.Time != TFileQuery::TTime::None;
}

void TFindTabController::FormChanged() {
  if (Files == nullptr) return;
  TFileQuery query;
  QString error;
  if (!ReadQuery(query, error)) {
    Runner.Cancel();
    ShowNothing(error.isEmpty() ? kHint : error);
    return;
  }
  // The list stays until the new answer replaces it.
  Runner.Request(query);
  Status->setText(QStringLiteral("Searching..."));
}

void TFindTabController::Show(std::shared_ptr<const TFindOutcome> outcome) {
  Outcome = std::move(outcome);
  Model->Attach(&Outcome->Result, Files, Tree, NativePathStyle());
  Status->setText(MatchesText(Outcome->Result));
  if (OnMatchFolders) OnMatchFolders(Outcome->Folders);
}

void TFindTabController::ShowNothing(const QString& status) {
  Model->Detach();
  Outcome.reset();
  Status->setText(status);
  if (OnMatchFolders) OnMatchFolders({});
}

}  // namespace Vellumetric
