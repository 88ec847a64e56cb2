#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "filetypes/TGroupListLoader.h"
#include "history/TScanHistoryRecorder.h"
#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "model/TSummaryTree.h"
#include "ui/dialogs/TDialogPrompts.h"
#include "ui/dialogs/TVLMHelpForm.h"

class QEvent;
class QToolButton;
class QWidget;

namespace Vellumetric {

// The maker's page about the suite product, opened by Upgrade.
inline constexpr const char* UpgradeWebAddress = "https://www.quendrix.example/gildercase/";

// Where the commands find the program's files; the defaults are the data folder set up at
// start-up. Tests point them into a temporary folder.
struct TCommandFolders {
  std::function<std::string()> BackupFolder;
  std::function<std::string()> DatabasePath;
  [[nodiscard]] static TCommandFolders Standard();
};

// What the saved-summary commands read from the analyzer's result views: the scanned roots and
// the two summary trees. Set once the views exist.
struct TSummarySource {
  const std::vector<std::string>* Roots = nullptr;
  const TSummaryTree* General = nullptr;
  const TSummaryTree* Detail = nullptr;
};

// The parts of the analyzer its commands work on. The commands are given these rather than the
// analyzer itself, so the window that owns them is no dependency of theirs.
struct TCommandTargets {
  QWidget* Window = nullptr;  // the dialogs' owner and the receiver of their messages
  QToolButton* UpgradeButton = nullptr;
  QToolButton* OptionsButton = nullptr;
  QToolButton* HelpButton = nullptr;
  QToolButton* OpenButton = nullptr;
  QToolButton* HistoryButton = nullptr;
  TFileExtDescList* Groups = nullptr;
  TFileExtList* Extensions = nullptr;
  const std::string* CurrentPath = nullptr;
  std::string* SaveNameText = nullptr;
  std::string* OpenPathText = nullptr;
  int LayoutDpi = 96;
  const bool* Compact = nullptr;  // the compact toolbar is the analyzer's "not above 100 ppi"
};

// The analyzer's saved-summary, options, upgrade and help commands, wired to its toolbar
// buttons and to its messages 2031-2033.
class TAnalyzerCommands final : public QObject {
 public:
  explicit TAnalyzerCommands(const TCommandTargets& targets,
                             TCommandFolders folders = TCommandFolders::Standard(),
                             TDialogPrompts prompts = TDialogPrompts::Standard());

  void ToolButton5Click();  // Upgrade
  void ToolButton7Click();  // Options
  // Adds the pages that are not the groups' to the options dialog before it shows.
  std::function<void(class TVLMOptionsForm&)> ExtendOptions;
  void ToolButton9Click();   // Help
  void ToolButton10Click();  // Open Saved Summary
  void ToolButton11Click();  // Scan History...
  // WM_SHOW_SAVE_SUMMARY: the save window for the current path.
  void ShowSaveSummary();
  // WM_SAVE_SUMMARY: writes the save-name file into the Backup folder; a failure is shown.
  bool WriteSummary(const std::string& root, const TSummaryTree& general,
                    const TSummaryTree& detail);
  // Loads the group and extension lists when the group list is empty: the one loader of the
  // scan and of the options dialog. From GroupSource when set, else from the group database.
  void LoadGroupsIfEmpty();
  // Starts reading the group database on a thread of its own (a first run creates it, one
  // synced write per row), so the start view never waits for it. Nothing when GroupSource is
  // set; LoadGroupsIfEmpty takes what it read, waiting for it if need be.
  void StartLoadingGroups();
  // For a scan about to start: while the lists are still being read, a wait for them that the
  // scan's worker runs before its walk (the database's messages are then shown on the window's
  // thread); otherwise the lists are loaded now and the result is empty.
  [[nodiscard]] std::function<void()> GroupsForScan();
  // Messages 2031-2033; true when handled.
  bool HandleMessage(QEvent* event);

  // Set by the analyzer once its summary views exist: what a save writes and how a chosen file
  // is loaded (the open-path text holds its path).
  TSummarySource Summary;
  std::function<void(const std::string& path)> LoadSummary;
  std::function<void(TFileExtDescList&, TFileExtList&)> GroupSource;
  // Set by the analyzer once its history exists: the history window reads and changes the
  // history on its thread, and shows two scans' changes in the analyzer.
  std::function<bool(TScanHistoryRecorder::TTask task)> PostToHistory;
  std::function<void(std::int64_t fromId, std::int64_t toId)> CompareScans;

  THelpService Help;
  bool OpenSortAscending = false;  // the open window's sort direction, kept for the run
  TCommandFolders Folders;
  TDialogPrompts Prompts;

 private:
  void ShowGroupMessages(const std::vector<std::string>& messages);
  [[nodiscard]] std::shared_ptr<TGroupListLoader> TakeLoader();

  TCommandTargets Targets;
  std::shared_ptr<TGroupListLoader> Loader;
  std::string LoaderPath;  // a loader of another database than Folders names now is dropped
};

}  // namespace Vellumetric
