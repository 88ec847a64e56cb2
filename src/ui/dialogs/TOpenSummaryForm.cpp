#include "ui/dialogs/TOpenSummaryForm.h"

#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/VLMMessages.h"
#include "persistence/SummaryNames.h"
#include "system/SystemFolders.h"
#include "system/TextEncoding.h"
#include "ui/common/PathQText.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

constexpr int kRawNameRole = Qt::UserRole;

// Short date and long time of the user's locale; the long time format's zone name is left out,
// as the system's own long time has none. File dates go by two seconds, as they always did.
QString DateText(QDateTime time) {
  const QLocale locale = QLocale::system();
  time = time.addSecs(-(time.time().second() % 2));
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b\\s*")));
  return locale.toString(time.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(time.time(), timeFormat.trimmed());
}

// Deletes only a regular file of exactly that name directly inside the folder.
bool DeleteSummaryFile(const std::string& folder, const std::string& name) {
  if (!IsPlainFileName(name)) return false;
  std::error_code ec;
  const auto path = Utf8Path(JoinNativePath(folder, name));
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) return false;
  return std::filesystem::remove(path, ec) && !ec;
}

}  // namespace

TOpenSummaryForm::TOpenSummaryForm(QWidget* owner, QObject* analyzer, std::string& openPath,
                                   const QString& caption, std::string backupFolder,
                                   bool& sortAscending, TDialogPrompts prompts)
    : QDialog(owner),
      Analyzer(analyzer),
      OpenPath(openPath),
      BackupFolder(std::move(backupFolder)),
      SortAscending(sortAscending),
      Prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("TOpenSummaryForm"));
  setWindowTitle(caption);
  setFont(TahomaFont(8));
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Date")});
  ListView1->setRootIsDecorated(false);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->header()->setSectionsClickable(true);
  ListView1->header()->setStretchLastSection(false);
  ListView1->setColumnWidth(0, 350);
  ListView1->setColumnWidth(1, 150);
  ListView1->setMinimumSize(350 + 150 + 24, 300);
  OpenButton = new QPushButton(QStringLiteral("Open"), this);
  OpenButton->setObjectName(QStringLiteral("OpenButton"));
  DeleteButton = new QPushButton(QStringLiteral("Delete"), this);
  DeleteButton->setObjectName(QStringLiteral("DeleteButton"));
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  OpenButton->setEnabled(false);
  DeleteButton->setEnabled(false);

  connect(ListView1->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { ListView1ColumnClick(column); });
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { OpenButtonClick(); });
  connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            ListView1SelectionChanged(!deselected.isEmpty(), !selected.isEmpty());
          });
  connect(OpenButton, &QPushButton::clicked, this, [this] { OpenButtonClick(); });
  connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(OpenButton);
  buttons->addWidget(DeleteButton);
  buttons->addStretch();
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListView1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void TOpenSummaryForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

// Regular *.sbf files (any letter case) in the order the folder lists them; folders, links and
// "desktop.ini" are left out.
void TOpenSummaryForm::FormShow() {
  ListView1->clear();
  OpenButton->setEnabled(false);
  DeleteButton->setEnabled(false);
  if (BackupFolder.empty()) return;
  QDir folder(QString::fromStdString(BackupFolder));
  folder.setNameFilters({QStringLiteral("*.sbf")});
  folder.setFilter(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks |
                   QDir::NoDotAndDotDot);
  folder.setSorting(QDir::Unsorted);
  for (const QFileInfo& entry : folder.entryInfoList()) {
    if (entry.fileName().compare(QStringLiteral("DESKTOP.INI"), Qt::CaseInsensitive) == 0) {
      continue;
    }
    auto* item = new QTreeWidgetItem(ListView1);
    item->setText(0, entry.fileName());
    item->setText(1, DateText(entry.lastModified()));
    // The name's own bytes, so a name that is not valid UTF-8 is still addressed exactly.
    item->setData(0, kRawNameRole, QByteArray::fromStdString(PathFromQt(entry.fileName())));
  }
}

void TOpenSummaryForm::ListView1ColumnClick(int column) {
  if (column == SortColumn) {
    SortAscending = !SortAscending;
  } else {
    SortColumn = column;
  }
  std::vector<QTreeWidgetItem*> items;
  while (ListView1->topLevelItemCount() > 0) items.push_back(ListView1->takeTopLevelItem(0));
  const int c = SortColumn;
  const bool ascending = SortAscending;
  std::stable_sort(items.begin(), items.end(), [c, ascending](auto* a, auto* b) {
    const int order = a->text(c).compare(b->text(c), Qt::CaseInsensitive);
    return ascending ? order < 0 : order > 0;
  });
  for (QTreeWidgetItem* item : items) ListView1->addTopLevelItem(item);
  OpenButton->setEnabled(false);
  DeleteButton->setEnabled(false);
}

// Losing a selection disables both buttons even while other items stay selected; gaining one
// enables them.
void TOpenSummaryForm::ListView1SelectionChanged(bool lost, bool gained) {
  if (lost) {
    OpenButton->setEnabled(false);
    DeleteButton->setEnabled(false);
  }
  if (gained) {
    OpenButton->setEnabled(true);
    DeleteButton->setEnabled(true);
  }
}

std::string TOpenSummaryForm::PathOf(const QTreeWidgetItem* item) const {
  return JoinNativePath(BackupFolder, item->data(0, kRawNameRole).toByteArray().toStdString());
}

void TOpenSummaryForm::OpenButtonClick() {
  for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = ListView1->topLevelItem(i);
    if (!item->isSelected()) continue;
    OpenPath = PathOf(item);
    PostVLMMessage(Analyzer, WM_OPEN_SUMMARY);
    accept();
    return;
  }
}

void TOpenSummaryForm::DeleteButtonClick() {
  const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
  if (selected.isEmpty()) return;
  const QString question =
      selected.size() == 1 ? QStringLiteral("Are you sure you want to delete \"") +
                                 selected.front()->text(0) + QStringLiteral("\"?")
                           : QStringLiteral("Are you sure you want to delete all selected items?");
  if (!Prompts.Question(this, question, QStringLiteral("Confirm Delete"))) return;
  for (int i = ListView1->topLevelItemCount() - 1; i >= 0; --i) {
    QTreeWidgetItem* item = ListView1->topLevelItem(i);
    if (!item->isSelected()) continue;
    const std::string name = item->data(0, kRawNameRole).toByteArray().toStdString();
    if (DeleteSummaryFile(BackupFolder, name)) {
      delete item;
    } else {
      Prompts.Error(
          this,
          QStringLiteral("Backup file cannot be deleted at this time. Please try again later."),
          QStringLiteral("Cannot Delete"));
    }
  }
}

}  // namespace Vellumetric
