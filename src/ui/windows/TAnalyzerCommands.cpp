#include "ui/windows/TAnalyzerCommands.h"

#include <QDesktopServices>
#include <QEvent>
#include <QToolButton>
#include <QUrl>
#include <QWidget>

#include "filetypes/VLMOptions.h"
#include "model/VLMMessages.h"
#include "persistence/SummaryFile.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"
#include "ui/dialogs/TOpenSummaryForm.h"
#include "ui/dialogs/TSaveSummaryForm.h"
#include "ui/dialogs/TScanHistoryForm.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"

namespace Vellumetric {

TCommandFolders TCommandFolders::Standard() {
  TCommandFolders f;
  f.BackupFolder = [] { return GetBackupFolder(); };
  f.DatabasePath = [] {
    return JoinNativePath(ApplicationInfo().DataFolder(), VLMOptions::FileName);
  };
  return f;
}

TAnalyzerCommands::TAnalyzerCommands(const TCommandTargets& targets, TCommandFolders folders,
                                     TDialogPrompts prompts)
    : QObject(targets.Window),
      Folders(std::move(folders)),
      Prompts(std::move(prompts)),
      Targets(targets) {
  connect(Targets.UpgradeButton, &QToolButton::clicked, this, [this] { ToolButton5Click(); });
  connect(Targets.OptionsButton, &QToolButton::clicked, this, [this] { ToolButton7Click(); });
  connect(Targets.HelpButton, &QToolButton::clicked, this, [this] { ToolButton9Click(); });
  connect(Targets.OpenButton, &QToolButton::clicked, this, [this] { ToolButton10Click(); });
  if (Targets.HistoryButton) {
    connect(Targets.HistoryButton, &QToolButton::clicked, this, [this] { ToolButton11Click(); });
  }
  Help.InstallF1Key();
}

void TAnalyzerCommands::ToolButton5Click() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(UpgradeWebAddress)));
}

void TAnalyzerCommands::ToolButton9Click() {
  Help.ShowHelp();
}

void TAnalyzerCommands::LoadGroupsIfEmpty() {
  if (!Targets.Groups->empty()) return;
  if (GroupSource) {
    GroupSource(*Targets.Groups, *Targets.Extensions);
    return;
  }
  if (const std::shared_ptr<TGroupListLoader> loader = TakeLoader()) {
    std::vector<std::string> messages;
    if (loader->Take(*Targets.Groups, *Targets.Extensions, messages)) {
      ShowGroupMessages(messages);
      return;
    }
  }
  VLMOptions db(Folders.DatabasePath(), [this](const std::string& m) {
    Prompts.Notice(Targets.Window, QString::fromStdString(m), QStringLiteral("Error"));
  });
  static_cast<void>(db.LoadGroups(*Targets.Groups));
  static_cast<void>(db.LoadExtensions(*Targets.Extensions));
}

void TAnalyzerCommands::StartLoadingGroups() {
  if (GroupSource || Loader || !Targets.Groups->empty()) return;
  LoaderPath = Folders.DatabasePath();
  Loader = std::make_shared<TGroupListLoader>(LoaderPath);
}

std::shared_ptr<TGroupListLoader> TAnalyzerCommands::TakeLoader() {
  std::shared_ptr<TGroupListLoader> loader = std::move(Loader);
  Loader.reset();
  if (loader && LoaderPath != Folders.DatabasePath()) loader.reset();
  return loader;
}

std::function<void()> TAnalyzerCommands::GroupsForScan() {
  if (!Loader || Loader->Done() || !Targets.Groups->empty() ||
      LoaderPath != Folders.DatabasePath()) {
    LoadGroupsIfEmpty();
    return {};
  }
  // Nothing on the window's thread reads the lists while the scan runs; the worker fills them
  // before it reads them itself.
  return [this, loader = TakeLoader(), groups = Targets.Groups, extensions = Targets.Extensions] {
    std::vector<std::string> messages;
    if (!loader->Take(*groups, *extensions, messages) || messages.empty()) return;
    QMetaObject::invokeMethod(
        this, [this, messages] { ShowGroupMessages(messages); }, Qt::QueuedConnection);
  };
}

void TAnalyzerCommands::ShowGroupMessages(const std::vector<std::string>& messages) {
  for (const std::string& m : messages) {
    Prompts.Notice(Targets.Window, QString::fromStdString(m), QStringLiteral("Error"));
  }
}

void TAnalyzerCommands::ToolButton7Click() {
  LoadGroupsIfEmpty();
  TVLMOptionsForm options(Targets.Window->window(), *Targets.Groups, *Targets.Extensions,
                          Folders.DatabasePath(), Targets.LayoutDpi, *Targets.Compact ? 96 : 120,
                          Prompts);
  if (ExtendOptions) ExtendOptions(options);
  options.exec();
}

void TAnalyzerCommands::ToolButton10Click() {
  TOpenSummaryForm open(Targets.Window, Targets.Window, *Targets.OpenPathText,
                        Targets.OpenButton->text(), Folders.BackupFolder(), OpenSortAscending,
                        Prompts);
  open.exec();
}

void TAnalyzerCommands::ToolButton11Click() {
  TScanHistoryForm history(Targets.Window, PostToHistory, CompareScans, Prompts);
  history.exec();
}

void TAnalyzerCommands::ShowSaveSummary() {
  TSaveSummaryForm save(Targets.Window, QString::fromStdString(*Targets.CurrentPath),
                        *Targets.SaveNameText, Targets.Window, Folders.BackupFolder(), Prompts);
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
      SaveSummaryFile(folder, *Targets.SaveNameText, root, general, detail, error)) {
    return true;
  }
  Prompts.Error(
      Targets.Window,
      QStringLiteral("The summary could not be saved as \"%1\": %2.")
          .arg(QString::fromStdString(*Targets.SaveNameText), QString::fromStdString(error)),
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
      if (LoadSummary) LoadSummary(*Targets.OpenPathText);
      return true;
    default:
      return false;
  }
}

}  // namespace Vellumetric
