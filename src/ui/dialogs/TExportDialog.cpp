#include "ui/dialogs/TExportDialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "export/DuplicateExport.h"
#include "export/ExportTables.h"
#include "export/StatisticsTables.h"
#include "system/PathRules.h"
#include "system/PortableFileName.h"
#include "ui/common/PathQText.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {

const QEvent::Type WrittenEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class TWrittenEvent final : public QEvent {
 public:
  TWrittenEvent(bool written, std::string error)
      : QEvent(WrittenEventType), Written(written), Error(std::move(error)) {}
  bool Written;
  std::string Error;
};

std::string TableText(const TExportSources& s, TExportTable table, const TExportOptions& options) {
  switch (table) {
    case TExportTable::FolderTree:
      return ExportFolderTree(*s.Tree, s.Root, options);
    case TExportTable::BiggestFiles:
      return ExportBiggestFiles(*s.Biggest, s.SourcePath, options);
    case TExportTable::DetailGroups:
      return ExportDetailGroups(*s.Detail, options);
    case TExportTable::FoundFiles: {
      if (s.Found->Files.size() == s.Found->Count) {
        return ExportFoundFiles(*s.Found, *s.Files, *s.Tree, *s.Groups, s.SourcePath, options);
      }
      // The list holds the largest matches only; the file gets all of them.
      TFileQuery every = s.FoundQuery;
      every.Top = 0;
      const TFindResult all = FindFiles(*s.Files, *s.Tree, s.Style, every);
      return ExportFoundFiles(all, *s.Files, *s.Tree, *s.Groups, s.SourcePath, options);
    }
    case TExportTable::Duplicates:
      return ExportDuplicates(*s.Duplicates, 0, *s.Files, *s.Tree, s.SourcePath, options);
    case TExportTable::SizeStatistics:
      return ExportStatistics(*s.Statistics, s.SourcePath, TStatisticsPart::Sizes, options);
    case TExportTable::AgeStatistics:
      return ExportStatistics(*s.Statistics, s.SourcePath, TStatisticsPart::Ages, options);
  }
  return {};
}

QString FileSystemText(const std::string& path) {
  return PathToQt(path);
}

}  // namespace

TExportDialog::TExportDialog(QWidget* owner, TExportSources sources, TDialogPrompts prompts)
    : QDialog(owner), Sources(std::move(sources)), Prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("TExportDialog"));
  setWindowTitle(QStringLiteral("Export"));
  setFont(TahomaFont(8));
  ChooseFile = [](QWidget* parent, const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export"), suggested, filter);
  };
  BuildControls();
  connect(ExportButton, &QPushButton::clicked, this, [this] { ExportClick(); });
  connect(BrowseButton, &QPushButton::clicked, this, [this] { BrowseClick(); });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(CsvChoice, &QRadioButton::toggled, this, [this] { FormatChanged(); });
  connect(TreeChoice, &QRadioButton::toggled, DepthBox, &QWidget::setEnabled);
}

TExportDialog::~TExportDialog() {
  if (Worker.joinable()) Worker.join();  // it reads the scan, which may go next
}

void TExportDialog::BuildControls() {
  auto* what = new QGroupBox(QStringLiteral("What"), this);
  TreeChoice = new QRadioButton(QStringLiteral("&Folder tree"), what);
  DepthBox = new QComboBox(what);
  DepthBox->addItem(QStringLiteral("every level"), -1);
  for (int depth = 1; depth <= 10; ++depth) {
    DepthBox->addItem(depth == 1 ? QStringLiteral("1 level below the root")
                                 : QStringLiteral("%1 levels below the root").arg(depth),
                      depth);
  }
  DepthBox->setAccessibleName(QStringLiteral("Folder tree depth"));
  BiggestChoice = new QRadioButton(QStringLiteral("The &20 biggest files"), what);
  DetailChoice = new QRadioButton(QStringLiteral("The &Detail groups"), what);
  FoundChoice = new QRadioButton(QStringLiteral("The F&ind results"), what);
  DupesChoice = new QRadioButton(QStringLiteral("The d&uplicate groups"), what);
  SizeStatsChoice = new QRadioButton(QStringLiteral("The file &sizes (Statistics)"), what);
  AgeStatsChoice = new QRadioButton(QStringLiteral("The file &ages (Statistics)"), what);
  TreeChoice->setEnabled(Sources.Tree && Sources.Root != NoNode);
  BiggestChoice->setEnabled(Sources.Biggest != nullptr);
  DetailChoice->setEnabled(Sources.Detail != nullptr);
  FoundChoice->setEnabled(Sources.Found && Sources.Files && Sources.Tree && Sources.Groups);
  SizeStatsChoice->setEnabled(Sources.Statistics != nullptr);
  AgeStatsChoice->setEnabled(Sources.Statistics != nullptr);
  DupesChoice->setEnabled(Sources.Duplicates && Sources.Files && Sources.Tree);
  for (QRadioButton* choice : {TreeChoice, BiggestChoice, DetailChoice, FoundChoice, DupesChoice,
                               SizeStatsChoice, AgeStatsChoice}) {
    if (choice->isEnabled()) {
      choice->setChecked(true);
      break;
    }
  }
  DepthBox->setEnabled(TreeChoice->isChecked());
  auto* whatLayout = new QGridLayout(what);
  whatLayout->addWidget(TreeChoice, 0, 0);
  whatLayout->addWidget(DepthBox, 0, 1);
  whatLayout->addWidget(BiggestChoice, 1, 0, 1, 2);
  whatLayout->addWidget(DetailChoice, 2, 0, 1, 2);
  whatLayout->addWidget(FoundChoice, 3, 0, 1, 2);
  whatLayout->addWidget(DupesChoice, 4, 0, 1, 2);
  whatLayout->addWidget(SizeStatsChoice, 5, 0, 1, 2);
  whatLayout->addWidget(AgeStatsChoice, 6, 0, 1, 2);

  auto* format = new QGroupBox(QStringLiteral("Format"), this);
  CsvChoice = new QRadioButton(QStringLiteral("&CSV (spreadsheets)"), format);
  JsonChoice = new QRadioButton(QStringLiteral("&JSON"), format);
  CsvChoice->setChecked(true);
  auto* formatLayout = new QHBoxLayout(format);
  formatLayout->addWidget(CsvChoice);
  formatLayout->addWidget(JsonChoice);
  formatLayout->addStretch(1);

  auto* fileLabel = new QLabel(QStringLiteral("File &name:"), this);
  FileEdit = new QLineEdit(this);
  FileEdit->setObjectName(QStringLiteral("ExportFile"));
  FileEdit->setMinimumWidth(Scaled(360, logicalDpiX(), 96));
  fileLabel->setBuddy(FileEdit);
  BrowseButton = new QPushButton(QStringLiteral("&Browse..."), this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileLabel);
  fileRow->addWidget(FileEdit, 1);
  fileRow->addWidget(BrowseButton);

  StatusLabel = new QLabel(this);
  ExportButton = new QPushButton(QStringLiteral("Export"), this);
  ExportButton->setDefault(true);
  ExportButton->setEnabled(TreeChoice->isEnabled() || BiggestChoice->isEnabled() ||
                           DetailChoice->isEnabled() || FoundChoice->isEnabled() ||
                           DupesChoice->isEnabled() || SizeStatsChoice->isEnabled());
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(StatusLabel, 1);
  buttons->addWidget(ExportButton);
  buttons->addWidget(CancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(what);
  layout->addWidget(format);
  layout->addLayout(fileRow);
  layout->addLayout(buttons);
}

void TExportDialog::SelectTable(TExportTable table) {
  // In TExportTable's order.
  QRadioButton* const choices[] = {TreeChoice,  BiggestChoice,   DetailChoice,  FoundChoice,
                                   DupesChoice, SizeStatsChoice, AgeStatsChoice};
  QRadioButton* choice = choices[static_cast<int>(table)];
  if (choice->isEnabled()) choice->setChecked(true);
}

// A name ending in the other format's extension follows the format.
void TExportDialog::FormatChanged() {
  const QString name = FileEdit->text();
  const QString from = CsvChoice->isChecked() ? QStringLiteral(".json") : QStringLiteral(".csv");
  const QString to = CsvChoice->isChecked() ? QStringLiteral(".csv") : QStringLiteral(".json");
  if (name.endsWith(from, Qt::CaseInsensitive)) {
    FileEdit->setText(name.left(name.size() - from.size()) + to);
  }
}

QString TExportDialog::SuggestedName() const {
  QString base = QStringLiteral("folders");
  if (BiggestChoice->isChecked()) base = QStringLiteral("biggest-files");
  if (DetailChoice->isChecked()) base = QStringLiteral("groups");
  if (FoundChoice->isChecked()) base = QStringLiteral("found-files");
  if (DupesChoice->isChecked()) base = QStringLiteral("duplicates");
  if (SizeStatsChoice->isChecked()) base = QStringLiteral("file-sizes");
  if (AgeStatsChoice->isChecked()) base = QStringLiteral("file-ages");
  const QString folder =
      FileEdit->text().isEmpty() ? QDir::homePath() : QFileInfo(FileEdit->text()).absolutePath();
  return folder + QLatin1Char('/') + base +
         (CsvChoice->isChecked() ? QStringLiteral(".csv") : QStringLiteral(".json"));
}

void TExportDialog::BrowseClick() {
  const QString filter = CsvChoice->isChecked() ? QStringLiteral("CSV files (*.csv)")
                                                : QStringLiteral("JSON files (*.json)");
  const QString chosen = ChooseFile(this, SuggestedName(), filter);
  if (chosen.isEmpty()) return;
  FileEdit->setText(chosen);
  Confirmed = chosen;  // the save-file window asked before replacing it
}

void TExportDialog::ExportClick() {
  if (Writing()) return;
  if (FileEdit->text().trimmed().isEmpty()) {
    BrowseClick();
    if (FileEdit->text().trimmed().isEmpty()) return;
  }
  QString name = FileEdit->text().trimmed();
  if (QFileInfo(name).suffix().isEmpty()) {
    name += CsvChoice->isChecked() ? QStringLiteral(".csv") : QStringLiteral(".json");
  }
  // A bare name goes into the home folder, not wherever the program was started from.
  name = QDir::home().absoluteFilePath(name);
  // Refused before asking to replace anything: the writer would refuse it too.
  const std::string problem = WindowsNameProblem(QFileInfo(name).fileName().toStdString());
  if (!problem.empty()) {
    Prompts.Notice(this, QString::fromStdString(problem), QStringLiteral("Export"));
    return;
  }
  if (name != Confirmed && QFileInfo::exists(name) &&
      !Prompts.Question(this,
                        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(name),
                        QStringLiteral("Export"))) {
    return;
  }
  FileEdit->setText(name);
  StartWriting(PathFromQt(name));
}

void TExportDialog::StartWriting(const std::string& path) {
  auto table = TExportTable::FolderTree;
  if (BiggestChoice->isChecked()) table = TExportTable::BiggestFiles;
  if (DetailChoice->isChecked()) table = TExportTable::DetailGroups;
  if (FoundChoice->isChecked()) table = TExportTable::FoundFiles;
  if (DupesChoice->isChecked()) table = TExportTable::Duplicates;
  if (SizeStatsChoice->isChecked()) table = TExportTable::SizeStatistics;
  if (AgeStatsChoice->isChecked()) table = TExportTable::AgeStatistics;
  TExportOptions options;
  options.Format = CsvChoice->isChecked() ? TExportFormat::Csv : TExportFormat::Json;
  options.Style = Sources.Style;
  options.Depth = DepthBox->currentData().toInt();
  options.Measure = Sources.Measure;
  Target = path;
  SetBusy(true);
  StatusLabel->setText(QStringLiteral("Writing..."));
  Worker = std::thread([this, table, options, path] {
    std::string error;
    const bool written =
        WriteExportFile(path, TableText(Sources, table, options), Sources.Style, error);
    QCoreApplication::postEvent(this, new TWrittenEvent(written, std::move(error)));
  });
}

bool TExportDialog::event(QEvent* event) {
  if (event->type() != WrittenEventType) return QDialog::event(event);
  auto* written = static_cast<TWrittenEvent*>(event);
  if (Worker.joinable()) Worker.join();
  Finished(written->Written, QString::fromStdString(written->Error));
  return true;
}

void TExportDialog::Finished(bool written, const QString& error) {
  SetBusy(false);
  StatusLabel->clear();
  if (written) {
    accept();
    return;
  }
  Prompts.Error(this,
                QStringLiteral("The export could not be written to %1:\n%2")
                    .arg(FileSystemText(Target), error),
                QStringLiteral("Export"));
}

void TExportDialog::SetBusy(bool busy) {
  for (QWidget* w : {static_cast<QWidget*>(ExportButton), static_cast<QWidget*>(CancelButton),
                     static_cast<QWidget*>(BrowseButton), static_cast<QWidget*>(FileEdit)}) {
    w->setEnabled(!busy);
  }
}

// Closing waits for a write in progress: the worker reads the scan.
void TExportDialog::reject() {
  if (!Writing()) QDialog::reject();
}

}  // namespace Vellumetric
