// The analyzer's exclusion rules and its refresh of one folder: the rules file, the box that
// applies the rules to a scan, the Exclusions page of the options, and Scan This Folder Again.
#include <QAction>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "exclude/ExclusionsFile.h"
#include "system/NativePlatform.h"
#include "system/SystemFolders.h"
#include "ui/common/PathQText.h"
#include "ui/dialogs/options/TExclusionsPage.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"
#include "ui/services/TQtThreadBridge.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {
namespace {

// The refresh's progress in the summary's title strip: one step per direct subfolder.
class TTitleProgress final : public TScanDisplay {
 public:
  TTitleProgress(TVLMTitleBarForm* title, QString folder)
      : Title(title), Folder(std::move(folder)) {}
  void SetProgressRange(int, int maximum) override {
    Maximum = maximum;
    Show();
  }
  void SetProgressPosition(int position) override {
    Position = position;
    Show();
  }
  void StepProgress() override {
    ++Position;
    Show();
  }
  void ExpandNode(TNodeId) override {}
  void SelectNode(TNodeId) override {}

 private:
  void Show() {
    Title->SetTitle(QStringLiteral("Scanning %1 again... %2 %")
                        .arg(Folder)
                        .arg(Maximum > 0 ? std::min(100, 100 * Position / Maximum) : 0),
                    false);
  }
  TVLMTitleBarForm* Title;
  QString Folder;
  int Maximum = 0;
  int Position = 0;
};

}  // namespace

// The rules come from the data folder; the box is checked while there are rules to apply.
void TVLMAnalyzerForm::SetupExclusions() {
  std::string error;
  const std::string folder = Services.WindowStateFolder ? Services.WindowStateFolder() : "";
  if (!folder.empty() &&
      !LoadExclusions(JoinNativePath(folder, ExclusionsFileName), ExclusionRules, error)) {
    ExclusionRules.clear();
    std::fprintf(stderr, "exclusion rules not loaded: %s\n", error.c_str());
  }
  ApplyRulesBox = new QCheckBox(QStringLiteral("Apply exclusion rules"), ToolBar1);
  ApplyRulesBox->setObjectName(QStringLiteral("ApplyRulesBox"));
  ApplyRulesBox->setToolTip(
      QStringLiteral("Leave out the folders that the rules of Options > Exclusions match"));
  ApplyRulesBox->setChecked(!ExclusionRules.empty());
  ApplyRulesAction = ToolBar1->addWidget(ApplyRulesBox);
  Commands->ExtendOptions = [this, folder](TVLMOptionsForm& options) {
    auto save = [folder](const TExclusionRuleList& rules) {
      std::string problem;
      if (folder.empty()) return std::string("the data folder is not available");
      return SaveExclusions(folder, rules, problem) ? std::string() : problem;
    };
    const bool had = !ExclusionRules.empty();
    auto* page =
        new TExclusionsPage(&options, ExclusionRules, save, &FolderTree, NativePathStyle(), Dpi);
    options.AddPage(page, QStringLiteral("Exclusions"));
    connect(&options, &QDialog::finished, this, [this, had] {
      if (!had && !ExclusionRules.empty()) ApplyRulesBox->setChecked(true);
    });
  };
  FolderView->RescanRequested = [this](TNodeId node, bool scanNow) { RescanFolder(node, scanNow); };
}

std::shared_ptr<const TExclusionRules> TVLMAnalyzerForm::RulesForScan() const {
  if (!ApplyRulesBox || !ApplyRulesBox->isChecked() || ExclusionRules.empty()) return nullptr;
  auto rules = std::make_shared<const TExclusionRules>(ExclusionRules, NativePathStyle());
  return rules->Empty() ? nullptr : rules;
}

// The results stay in view but cannot be changed meanwhile; the summary, the map and Find let go
// of the records only when the new subtree is put in place, on this thread.
void TVLMAnalyzerForm::RescanFolder(TNodeId node, bool scanNow) {
  // A scan read from a file has no disk here to scan again, and an image's folders are not
  // folders of this machine.
  if (WorkPending() || node == NoNode || node >= FolderTree.Count() || ScanRoots.empty() ||
      ScanFile || LastScanImage) {
    return;
  }
  const TFolderData& data = FolderTree.Data(node);
  RefreshBridge = std::make_unique<TQtThreadBridge>();
  RefreshThread = std::make_unique<TVLMFolderRefreshThread>(
      *RefreshBridge, Services.Listers ? Services.Listers : [] { return CreateDirectoryLister(); });
  TScanResults results;
  results.Tree = &FolderTree;
  results.Records = &FileRecords;
  results.TypedFiles = &TypedFiles;
  results.Biggest = &BiggestFiles;
  results.BiggestOnDisk = &BiggestOnDisk;
  results.Style = NativePathStyle();
  RefreshThread->Results = results;
  RefreshThread->Folder = node;
  RefreshThread->Extensions = &Extensions;
  // A folder the rules left out is scanned without them; any other as its scan was.
  RefreshThread->Rules = scanNow || data.Excluded || !LastScanRules ? nullptr : RulesForScan();
  RefreshThread->Refreshing = &Refreshing;
  RefreshProgress = std::make_unique<TTitleProgress>(SummaryTitleBar, PathToQt(data.Path.Str()));
  RefreshThread->Progress = RefreshProgress.get();
  RefreshThread->NotifyWindow = HandleOf(this);
  const std::string path = data.Path.Str();
  RefreshThread->BeforeSplice = [this, path](const TFolderTree& fresh) {
    History->CopyFinishedTree(fresh, path);
    FolderView->Detach();
    MapTab->ScanStarting();
    FindTab->ScanStarting();
    DupesTab->ScanStarting();  // its groups name records that change
    StatsTab->ScanStarting();  // its worker reads the records that change
    Summary->ClearDetail();    // its files name records that change
    Summary->ClearGeneral();
  };
  History->ScanStarting(false);
  FolderView->SetRescanAllowed(false);
  for (QToolButton* b : {ToolButton6, ScanAgainButton, ExportButton}) b->setEnabled(false);
  Refreshing.store(true);
  RefreshThread->Resume();
}

void TVLMAnalyzerForm::RefreshFinished(bool done) {
  ExcludedCheckedAt = static_cast<std::size_t>(-1);
  const std::string path = RefreshThread ? FolderTree.Data(RefreshThread->Folder).Path.Str() : "";
  RefreshThread.reset();
  RefreshBridge.reset();
  RefreshProgress.reset();
  FolderView->SetRescanAllowed(true);
  for (QToolButton* b : {ToolButton6, ScanAgainButton, ExportButton}) b->setEnabled(true);
  if (!done) {  // stopped before anything changed
    SummaryTitleBar->SetTitle(QStringLiteral("Summary"), true);
    return;
  }
  // A partial scan of that folder, stored as a scan of it: Changes compares it only with
  // scans of the same folder. The Changes tab keeps comparing the whole scan.
  auto before = std::exchange(History->BeforeRecording, nullptr);
  History->ScanFinished(FolderTree, path);
  History->BeforeRecording = std::move(before);
  FolderView->Attach(&FolderTree);
  FolderView->SelectFirstNode();
  MapTab->ScanFinished(FolderTree, FileRecords, Groups);
  FindTab->ScanFinished(FolderTree, FileRecords, Groups);
  DupesTab->ScanFinished(FolderTree, FileRecords);
  StatsTab->ScanFinished(FileRecords, Groups, ScanRoots.empty() ? std::string() : ScanRoots[0]);
  Summary->BuildBiggestFilesSection(BiggestFiles, &BiggestOnDisk, &FileRecords, &FolderTree);
  StartSummary();
}

}  // namespace Vellumetric
