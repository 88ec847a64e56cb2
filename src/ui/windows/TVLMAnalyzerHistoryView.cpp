// The analyzer and the scan history: the Changes tab of a finished scan, and the view of two
// stored scans that the history window's Compare opens, with the Changes tab filling the window.
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {

// A finished scan is compared with the earlier ones just before it is recorded; a click in the
// list focuses the folder in the tree, whose page then gains its change.
void TVLMAnalyzerForm::WireHistory() {
  ChangesTab = std::make_unique<TChangesTab>(PageControl1, *History, Dpi);
  ChangesTab->FocusFolder = [this](TNodeId folder) { MapTab->FocusFolder(folder); };
  ChangesTab->ComparisonShown = [this](const std::string& root) {
    if (ScanRoots.empty()) {
      StaticText1->setText(QString::fromStdString(root));  // two stored scans: no tree to show
    } else {
      FolderView->RefreshFocusedNode();
    }
  };
  History->BeforeRecording = [this](std::shared_ptr<const TScanSnapshot> scan,
                                    std::vector<TNodeId> nodes) {
    return ChangesTab->CompareFinishedScan(std::move(scan), std::move(nodes));
  };
  Commands->PostToHistory = [this](TScanHistoryRecorder::TTask task) {
    return History->Post(std::move(task));
  };
  Commands->CompareScans = [this](std::int64_t fromId, std::int64_t toId) {
    ShowStoredComparison(fromId, toId);
  };
}

void TVLMAnalyzerForm::ShowSummaryTabs(bool shown) {
  PageControl1->setTabVisible(PageControl1->indexOf(TabSheet1), shown);
  PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), shown);
}

void TVLMAnalyzerForm::ShowStoredComparison(std::int64_t fromId, std::int64_t toId) {
  // Offered only from the start view; a scan or summary still running keeps its own view.
  if (ProgressForm || WorkPending()) return;
  FindTab->ScanStarting();
  StatsTab->ScanStarting();
  MapTab->ScanStarting();
  ScanRoots.clear();  // nothing here can be saved as a summary
  if (Panel4->isVisible()) SummaryPanelHeight = Panel4->height();
  Panel4->show();
  Panel5->hide();
  Panel2->hide();
  Panel1->hide();
  Splitter1->widget(0)->hide();
  Splitter1->handle(1)->hide();
  StaticText1->clear();
  SummaryTitleBar->SetTitle(QStringLiteral("Scan History"), false);
  ShowSummaryTabs(false);
  ChangesTab->CompareStoredScans(fromId, toId);
  PageControl1->setCurrentWidget(ChangesTab->TabSheet);
  EnterScanView();
  ToolButton6->setEnabled(true);
}

}  // namespace Vellumetric
