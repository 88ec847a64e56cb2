#include "ui/dialogs/TThirdPartyForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QVBoxLayout>

#include "ui/common/UiMetrics.h"

namespace Vellumetric {

std::vector<TThirdPartyEntry> ParseThirdPartyIndex(const QString& text) {
  std::vector<TThirdPartyEntry> entries;
  for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QStringList f = line.split(QLatin1Char('\t'));
    if (f.size() != 5 || f[0].trimmed().isEmpty() || f[4].trimmed().isEmpty()) continue;
    entries.push_back({f[0], f[1], f[2], f[3], f[4].trimmed()});
  }
  return entries;
}

QString NoticesFolder() {
  const QString folder =
      QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                          .filePath(QStringLiteral("../share/quendrix-vellumetric/notices")));
  return QFileInfo::exists(QDir(folder).filePath(QStringLiteral("index.tsv"))) ? folder : QString();
}

TThirdPartyForm::TThirdPartyForm(QWidget* owner, const QString& noticesFolder)
    : QDialog(owner), Folder(noticesFolder) {
  setObjectName(QStringLiteral("TThirdPartyForm"));
  setWindowTitle(QStringLiteral("Third-party software"));
  setFont(TahomaFont(8));
  QFile index(QDir(Folder).filePath(QStringLiteral("index.tsv")));
  if (!Folder.isEmpty() && index.open(QIODevice::ReadOnly)) {
    Entries = ParseThirdPartyIndex(QString::fromUtf8(index.readAll()));
  }
  Intro = new QLabel(
      Entries.empty()
          ? QStringLiteral("The notices of the third-party software are gathered when the program "
                           "is packaged; this copy was not installed from a package.")
          : QStringLiteral("Quendrix Vellumetric is built with the following software. Select "
                           "one to read its notice and licence."),
      this);
  Intro->setWordWrap(true);
  List = new QTreeWidget(this);
  List->setObjectName(QStringLiteral("ThirdPartyList"));
  List->setHeaderLabels(
      {QStringLiteral("Software"), QStringLiteral("Version"), QStringLiteral("Licence")});
  List->setRootIsDecorated(false);
  List->setAccessibleName(QStringLiteral("Third-party software"));
  for (const TThirdPartyEntry& e : Entries) {
    auto* item = new QTreeWidgetItem(List, {e.Name, e.Version, e.Licence});
    item->setToolTip(0, e.What);
  }
  List->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  Text = new QPlainTextEdit(this);
  Text->setObjectName(QStringLiteral("NoticeText"));
  Text->setReadOnly(true);
  Text->setLineWrapMode(QPlainTextEdit::NoWrap);
  Text->setAccessibleName(QStringLiteral("Notice"));
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(List, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { ShowNotice(List->indexOfTopLevelItem(item)); });

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(List);
  splitter->addWidget(Text);
  splitter->setStretchFactor(1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Intro);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);
  resize(Scaled(760, logicalDpiX(), 96), Scaled(560, logicalDpiY(), 96));
  if (List->topLevelItemCount() > 0) List->setCurrentItem(List->topLevelItem(0));
}

void TThirdPartyForm::ShowNotice(int index) {
  if (index < 0 || index >= static_cast<int>(Entries.size())) return;
  const TThirdPartyEntry& e = Entries[static_cast<std::size_t>(index)];
  QFile file(QDir(Folder).filePath(e.File));  // an absolute path stays as it is
  if (!file.open(QIODevice::ReadOnly)) {
    Text->setPlainText(
        QStringLiteral("%1: %2\n\nThe notice %3 could not be read: %4")
            .arg(e.Name, e.What, QDir::toNativeSeparators(file.fileName()), file.errorString()));
    return;
  }
  Text->setPlainText(QString::fromUtf8(file.readAll()));
}

}  // namespace Vellumetric
