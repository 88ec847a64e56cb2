#include "ui/dialogs/TSaveSummaryForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <filesystem>
#include <system_error>

#include "model/VLMMessages.h"
#include "persistence/SummaryNames.h"
#include "system/NativePlatform.h"
#include "system/SystemFolders.h"
#include "system/TextEncoding.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

// Anything under that name counts, a dangling link included: it would be replaced.
bool NameTaken(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(Utf8Path(path), ec).type() !=
         std::filesystem::file_type::not_found;
}

}  // namespace

TSaveSummaryForm::TSaveSummaryForm(QWidget* owner, QString rootText, std::string& saveName,
                                   QObject* analyzer, std::string backupFolder,
                                   TDialogPrompts prompts)
    : QDialog(owner),
      RootText(std::move(rootText)),
      SaveName(saveName),
      Analyzer(analyzer),
      BackupFolder(std::move(backupFolder)),
      Prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("TSaveSummaryForm"));
  setWindowTitle(QStringLiteral("Save Summary"));
  setFont(TahomaFont(8));
  Label1 = new QLabel(QStringLiteral("Save scan result summary for later viewing."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  Label2 = new QLabel(QStringLiteral("Name:"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setMinimumWidth(300);
  Label2->setBuddy(Edit1);
  Button1 = new QPushButton(QStringLiteral("Save"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Cancel"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0, 1, 2);
  layout->addWidget(Label2, 1, 0, Qt::AlignVCenter);  // centred on the edit box
  layout->addWidget(Edit1, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  layout->addLayout(buttons, 2, 0, 1, 2);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void TSaveSummaryForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Shown) {
    Shown = true;
    FormShow();
  }
}

void TSaveSummaryForm::FormShow() {
  const std::string base = SummaryBaseName(NativePathStyle(), RootText.toStdString());
  const std::string name = ProposeSummaryName(BackupFolder, base, NameTaken);
  Edit1->setText(QString::fromStdString(name));
  Edit1->selectAll();
}

void TSaveSummaryForm::Button1Click() {
  const QString typed = Edit1->text();
  const std::string name = SummaryFileName(typed.toStdString());
  // Only a plain name (nothing may be written outside the Backup folder) that Windows can keep.
  if (const std::string problem = SaveNameProblem(typed.toStdString()); !problem.empty()) {
    Prompts.Notice(this, QString::fromStdString(problem), QStringLiteral("Save Summary"));
    return;
  }
  if (NameTaken(JoinNativePath(BackupFolder, name)) &&
      !Prompts.Question(this,
                        QStringLiteral("File ") + typed +
                            QStringLiteral(" is already exists. Do you want to replace it?"),
                        QStringLiteral("Confirm Replace"))) {
    return;
  }
  SaveName = name;
  PostVLMMessage(Analyzer, WM_SAVE_SUMMARY);
  accept();
}

}  // namespace Vellumetric
