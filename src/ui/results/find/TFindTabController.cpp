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
  layout->addWidget(List, 1);
  layout->addWidget(Status);
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
  return !query.Name.empty() || !min.empty() || !max.empty() ||
         query.Group != TFileQuery::AnyGroup || query.OlderThanDays >= 0;
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
