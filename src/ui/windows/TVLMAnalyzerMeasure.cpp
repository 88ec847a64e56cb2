// The analyzer's measure: whether the shares, the order, the map and the biggest files of every
// view go by the bytes files hold or by what they take on disk.
#include "ui/windows/TVLMAnalyzerForm.h"

namespace Vellumetric {

// The button is pressed for Size on Disk; its key and a click both flip it.
void TVLMAnalyzerForm::WireMeasure() {
  connect(MeasureButton, &QToolButton::toggled, this,
          [this](bool onDisk) { SetMeasure(onDisk ? TMeasure::Disk : TMeasure::Size); });
}

void TVLMAnalyzerForm::SetMeasure(TMeasure measure) {
  const bool onDisk = measure == TMeasure::Disk;
  if (MeasureButton->isChecked() != onDisk) {
    MeasureButton->setChecked(onDisk);  // toggled: back here with the button in step
    return;
  }
  if (measure == ByMeasure) return;
  ByMeasure = measure;
  // The map is told while it renders nothing: the tree's sort below waits for a render reading
  // the tree, and the map lays itself out again once the sort is done.
  MapTab->Map->PauseRendering();
  MapTab->Map->SetMeasure(measure);
  FolderView->SetMeasure(measure);
  MapTab->Map->ResumeRendering();
  Summary->SetMeasure(measure);
  FindTab->SetMeasure(measure);
}

}  // namespace Vellumetric
