// The analyzer's "Export...": the results of the scan shown now, handed to the export dialog.
#include "system/NativePlatform.h"
#include "ui/dialogs/TExportDialog.h"
#include "ui/windows/TAnalyzerCommands.h"
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {

void TVLMAnalyzerForm::ShowExport() {
  if (ProgressForm || Scanning.load()) return;  // a scan is still filling the tree
  TExportSources sources;
  sources.Tree = &FolderTree;
  sources.Root = FolderTree.FirstChild(NoNode);
  // The biggest files and the shares the pages show.
  sources.Biggest = ByMeasure == TMeasure::Disk ? &BiggestOnDisk : &BiggestFiles;
  sources.Measure = ByMeasure;
  sources.SourcePath = ScanRoots.empty() ? std::string() : ScanRoots.front();
  // The Detail tree is filled and then sorted by the summary's workers.
  sources.Detail = SummaryBusy.load() ? nullptr : &Summary->DetailNodes;
  sources.Found = FindTab->SharedResult();
  sources.FoundQuery = FindTab->ShownQuery();
  sources.Duplicates = DupesTab->SharedResult();
  sources.Files = &FileRecords;
  sources.Groups = &Groups;
  sources.Style = NativePathStyle();
  sources.Statistics = StatsTab->Shown();
  TExportDialog dialog(this, std::move(sources), Commands->Prompts);
  // What the summary panel shows is most likely what is wanted.
  const QWidget* page = PageControl1->currentWidget();
  if (page == FindTab->TabSheet) dialog.SelectTable(TExportTable::FoundFiles);
  if (page == TabSheet1) dialog.SelectTable(TExportTable::BiggestFiles);
  if (page == TabSheet2) dialog.SelectTable(TExportTable::DetailGroups);
  if (page == DupesTab->TabSheet) dialog.SelectTable(TExportTable::Duplicates);
  if (page == StatsTab->TabSheet) {
    dialog.SelectTable(StatsTab->AgeTable->hasFocus() || StatsTab->YearChart->hasFocus() ||
                               StatsTab->MonthChart->hasFocus()
                           ? TExportTable::AgeStatistics
                           : TExportTable::SizeStatistics);
  }
  dialog.exec();
}

}  // namespace Vellumetric
