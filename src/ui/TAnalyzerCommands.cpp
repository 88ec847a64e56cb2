#include "ui/TAnalyzerCommands.h"

#include <QDesktopServices>
#include <QEvent>
#include <QUrl>

#include "filetypes/VLMOptions.h"
#include "model/VLMMessages.h"
#include "persistence/SummaryFile.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"
#include "ui/TOpenSummaryForm.h"
#include "ui/TSaveSummaryForm.h"
#include "ui/TVLMAnalyzerForm.h"
#include "ui/TVLMOptionsForm.h"

namespace Vellumetric {

TCommandFolders TCommandFolders::Standard() {
  TCommandFolders f;
  f.BackupFolder = [] { return GetBackupFolder(); };
  f.DatabasePath = [] {
    return JoinNativePath(ApplicationInfo().DataFolder(), VLMOptions::FileName);
  };
  return f;
}

TAnalyzerCommands::TAnalyzerCommands(TVLMAnalyzerForm& analyzer, TCommandFolders folders,
                                     TDialogPrompts prompts)
    : QObject(&analyzer),
      Folders(std::move(folders)),
      Prompts(std::move(prompts)),
      Analyzer(analyzer) {
  connect(analyzer.ToolButton5, &QToolButton::clicked, this, [this] { ToolButton5Click(); });
  connect(analyzer.ToolButton7, &QToolButton::clicked, this, [this] { ToolButton7Click(); });
  connect(analyzer.ToolButton9, &QToolButton::clicked, this, [this] { ToolButton9Click(); });
  connect(analyzer.ToolButton10, &QToolButton::clicked, this, [this] { ToolButton10Click(); });
  Help.InstallF1Key();
}

void TAnalyzerCommands::ToolButton5Click() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(UpgradeWebAddress)));
}

void TAnalyzerCommands::ToolButton9Click() {
  Help.ShowHelp();
}

void TAnalyzerCommands::LoadGroupsIfEmpty() {
  if (!Analyzer.Groups.empty()) return;
  if (GroupSource) {
    GroupSource(Analyzer.Groups, Analyzer.Extensions);
    return;
  }
  VLMOptions db(Folders.DatabasePath(), [this](const std::string& m) {
    Prompts.Notice(&Analyzer, QString::fromStdString(m), QStringLiteral("Error"));
  });
  static_cast<void>(db.LoadGroups(Analyzer.Groups));
  static_cast<void>(db.LoadExtensions(Analyzer.Extensions));
}

void TAnalyzerCommands::ToolButton7Click() {
  LoadGroupsIfEmpty();
  TVLMOptionsForm options(Analyzer.window(), Analyzer.Groups, Analyzer.Extensions,
                          Folders.DatabasePath(), Analyzer.LayoutDpi(),
                          // the compact toolbar is the analyzer's "not above 100 ppi"
                          Analyzer.IsCompact() ? 96 : 120, Prompts);
  options.exec();
}

void TAnalyzerCommands::ToolButton10Click() {
  TOpenSummaryForm open(&Analyzer, &Analyzer, Analyzer.OpenPathText, Analyzer.ToolButton10->text(),
                        Folders.BackupFolder(), OpenSortAscending, Prompts);
  open.exec();
}

void TAnalyzerCommands::ShowSaveSummary() {
  TSaveSummaryForm save(&Analyzer, QString::fromStdString(Analyzer.CurrentPath),
                        Analyzer.SaveNameText, &Analyzer, Folders.BackupFolder(), Prompts);
  save.exec();
}

// Written beside the old file and renamed over it only when complete: a full disk never costs
// the summary saved before, and the user learns why the save failed.
bool TAnalyzerCommands::WriteSummary(const std::string& root, const TSummaryTree& general,
                                     const TSummaryTree& detail) {
  const std::string folder = Folders.BackupFolder();
  // Without a Backup folder the name would land in the file system's root: refuse instead.
  std::string error = "the Backup folder is not available";
  if (!folder.empty() &&
      SaveSummaryFile(folder, Analyzer.SaveNameText, root, general, detail, error)) {
    return true;
  }
  Prompts.Error(
      &Analyzer,
      QStringLiteral("The summary could not be saved as \"%1\": %2.")
          .arg(QString::fromStdString(Analyzer.SaveNameText), QString::fromStdString(error)),
      QStringLiteral("Save Summary"));
  return false;
}

bool TAnalyzerCommands::HandleMessage(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case WM_SHOW_SAVE_SUMMARY:
      ShowSaveSummary();
      return true;
    case WM_SAVE_SUMMARY:
      if (Summary.General && Summary.Detail) {
        const std::string root =
            Summary.Roots && !Summary.Roots->empty() ? Summary.Roots->front() : std::string();
        WriteSummary(root, *Summary.General, *Summary.Detail);
      }
      return true;
    case WM_OPEN_SUMMARY:
      if (LoadSummary) LoadSummary(Analyzer.OpenPathText);
      return true;
    default:
      return false;
  }
}

}  // namespace Vellumetric
