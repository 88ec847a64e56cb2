#include "ui/dialogs/TScanHistoryForm.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMetaObject>
#include <QPointer>
#include <QVBoxLayout>

#include "history/THistoryDatabase.h"
#include "system/Formatting.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kRootRole = Qt::UserRole + 1;
enum : int { kFolder, kMode, kDate, kSize, kFiles, kFolders };

QString DateText(std::int64_t seconds) {
  return QLocale::system().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

}  // namespace

TScanHistoryForm::TScanHistoryForm(QWidget* owner, TPost post, TCompare compare,
                                   TDialogPrompts prompts)
    : QDialog(owner),
      Post(std::move(post)),
      CompareScans(std::move(compare)),
      Prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("TScanHistoryForm"));
  setWindowTitle(QStringLiteral("Scan History"));
  setProperty("helpPage", QStringLiteral("Changes.htm"));
  setFont(TahomaFont(8));
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setHeaderLabels({QStringLiteral("Folder"), QStringLiteral("Mode"),
                              QStringLiteral("Date"), QStringLiteral("Size"),
                              QStringLiteral("Files"), QStringLiteral("Folders")});
  ListView1->setRootIsDecorated(false);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setTextElideMode(Qt::ElideMiddle);
  ListView1->header()->setStretchLastSection(false);
  ListView1->header()->setSectionResizeMode(kFolder, QHeaderView::Stretch);
  const int widths[] = {0, 60, 130, 90, 80, 80};
  for (int c = kMode; c <= kFolders; ++c) ListView1->setColumnWidth(c, widths[c]);
  for (int c = kSize; c <= kFolders; ++c) {
    ListView1->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  ListView1->setMinimumSize(720, 320);
  Note = new QLabel(this);
  Note->setObjectName(QStringLiteral("HistoryNote"));
  Note->setEnabled(false);
  Note->setWordWrap(true);
  CompareButton = new QPushButton(QStringLiteral("Compare"), this);
  CompareButton->setObjectName(QStringLiteral("CompareButton"));
  CompareButton->setToolTip(QStringLiteral("Select two scans of one folder"));
  DeleteButton = new QPushButton(QStringLiteral("Delete"), this);
  DeleteButton->setObjectName(QStringLiteral("DeleteButton"));
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CompareButton->setEnabled(false);
  DeleteButton->setEnabled(false);

  connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SelectionChanged(); });
  connect(CompareButton, &QPushButton::clicked, this, [this] { CompareButtonClick(); });
  connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(CompareButton);
  buttons->addWidget(DeleteButton);
  buttons->addStretch();
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListView1, 1);
  layout->addWidget(Note);
  layout->addLayout(buttons);
}

void TScanHistoryForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Reload();
}

void TScanHistoryForm::Deliver(QPointer<TScanHistoryForm> form,
                               std::function<void(TScanHistoryForm&)> show) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [form, show = std::move(show)] {
        if (form) show(*form);
      },
      Qt::QueuedConnection);
}

void TScanHistoryForm::Reload() {
  Loading = true;
  Note->setText(QStringLiteral("Reading the scan history..."));
  const bool posted =
      Post && Post([form = QPointer<TScanHistoryForm>(this)](const std::string& path) {
        THistoryDatabase db(path);
        auto scans = std::make_shared<std::vector<TScanSnapshot>>();
        std::string error;
        if (!db.OpenForReading() || !db.ListScans("", *scans)) error = db.Error();
        Deliver(form, [scans, error](TScanHistoryForm& f) { f.Fill(*scans, error); });
      });
  if (!posted) Fill({}, "no scan history is kept");
}

void TScanHistoryForm::Fill(const std::vector<TScanSnapshot>& scans, const std::string& error) {
  Loading = false;
  ListView1->clear();
  const QLocale locale = QLocale::system();
  const std::string separator = locale.decimalPoint().toStdString();
  for (const TScanSnapshot& s : scans) {
    auto* item = new QTreeWidgetItem(ListView1);
    item->setText(kFolder, QString::fromStdString(s.Root));
    item->setToolTip(kFolder, QString::fromStdString(s.Root));
    item->setText(kMode,
                  s.Mode == FolderKindDrive ? QStringLiteral("Drive") : QStringLiteral("Folder"));
    item->setText(kDate, DateText(s.Started));
    item->setText(kSize, QString::fromStdString(FormatSize(s.Size, 2, separator)).trimmed());
    item->setText(kFiles, locale.toString(s.Files));
    item->setText(kFolders, locale.toString(s.FolderCount));
    for (int c = kSize; c <= kFolders; ++c)
      item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(kFolder, kIdRole, QVariant::fromValue<qlonglong>(s.Id));
    item->setData(kFolder, kRootRole, QByteArray::fromStdString(s.Root));
  }
  if (!error.empty()) {
    Note->setText(QString::fromStdString("The scan history cannot be read: " + error + "."));
  } else if (scans.empty()) {
    Note->setText(QStringLiteral("No scans are stored yet."));
  } else {
    Note->clear();
  }
  SelectionChanged();
}

std::vector<const QTreeWidgetItem*> TScanHistoryForm::Selected() const {
  std::vector<const QTreeWidgetItem*> items;
  for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
    if (ListView1->topLevelItem(i)->isSelected()) items.push_back(ListView1->topLevelItem(i));
  }
  return items;
}

// Compare takes exactly two scans of one folder; Delete any number.
void TScanHistoryForm::SelectionChanged() {
  const auto items = Selected();
  DeleteButton->setEnabled(!items.empty());
  CompareButton->setEnabled(items.size() == 2 && items[0]->data(kFolder, kRootRole) ==
                                                     items[1]->data(kFolder, kRootRole));
}

void TScanHistoryForm::CompareButtonClick() {
  const auto items = Selected();
  if (items.size() != 2 || !CompareButton->isEnabled()) return;
  const qlonglong a = items[0]->data(kFolder, kIdRole).toLongLong();
  const qlonglong b = items[1]->data(kFolder, kIdRole).toLongLong();
  accept();
  if (CompareScans) CompareScans(std::min(a, b), std::max(a, b));
}

void TScanHistoryForm::DeleteButtonClick() {
  const auto items = Selected();
  if (items.empty()) return;
  const QString question =
      items.size() == 1
          ? QStringLiteral("Are you sure you want to delete the scan of \"%1\" from %2?")
                .arg(items[0]->text(kFolder), items[0]->text(kDate))
          : QStringLiteral("Are you sure you want to delete all selected items?");
  if (!Prompts.Question(this, question, QStringLiteral("Confirm Delete"))) return;
  std::vector<std::int64_t> ids;
  for (const QTreeWidgetItem* item : items)
    ids.push_back(item->data(kFolder, kIdRole).toLongLong());
  Loading = true;
  const bool posted =
      Post && Post([form = QPointer<TScanHistoryForm>(this), ids](const std::string& path) {
        THistoryDatabase db(path);
        int removed = 0;
        std::string error;
        if (!db.DeleteScans(ids, removed)) error = db.Error();
        Deliver(form, [error](TScanHistoryForm& f) {
          if (!error.empty()) {
            f.Prompts.Error(
                &f, QString::fromStdString("The scans could not be deleted: " + error + "."),
                QStringLiteral("Cannot Delete"));
          }
          f.Reload();
        });
      });
  if (!posted) Loading = false;
}

}  // namespace Vellumetric
