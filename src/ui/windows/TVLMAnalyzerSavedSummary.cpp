// The analyzer's saved-summary view: a summary file read back into the General and Detail pages
// by the summary worker, with the panel filling the window.
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {

// What a save writes is what the pages show; a chosen file is loaded into them.
void TVLMAnalyzerForm::WireSavedSummaries() {
  Commands->Summary = {&ScanRoots, &Summary->GeneralNodes, &Summary->DetailNodes};
  Commands->LoadSummary = [this](const std::string& path) { LoadSavedSummary(path); };
  Commands->GroupSource = Services.LoadGroups;
}

void TVLMAnalyzerForm::LoadSavedSummary(const std::string& path) {
  // Offered only from the start view; a scan still running keeps its own view.
  if (ProgressForm || Scanning.load() || path.empty()) return;
  OpenPathText = path;
  FindTab->ScanStarting();
  StatsTab->ScanStarting();
  MapTab->ScanStarting();  // nothing of the last scan stays on the map
  ChangesTab->Clear();     // nor on the Changes tab
  ShowSummaryTabs(true);
  ScanRoots.clear();  // a loaded summary is not saved again
  // A hidden panel has no height worth keeping: the results view's last height stays.
  if (Panel4->isVisible()) SummaryPanelHeight = Panel4->height();
  Panel4->show();
  Panel5->hide();
  Panel2->hide();
  Panel1->hide();
  Splitter1->widget(0)->hide();
  Splitter1->handle(1)->hide();
  ShowSummaryPage();
  SummaryTitleBar->SetTitle(QStringLiteral("Summary (Please wait...)"), false);
  ProgressBar1->setValue(0);
  ProgressBar1->show();
  Label1->show();
  Panel5->show();
  Summary->StartLoad(path, SummaryBusy, this);
  EnterScanView();
  SetButtonShown(ScanAgainButton, false);  // nothing to scan: the summary has no folder tree
  ToolButton6->setEnabled(true);
}

}  // namespace Vellumetric
