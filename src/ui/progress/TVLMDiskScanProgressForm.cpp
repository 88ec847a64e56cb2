#include "ui/progress/TVLMDiskScanProgressForm.h"

#include <QVBoxLayout>

#include "model/VLMMessages.h"
#include "ui/common/SchemeColours.h"
#include "ui/common/TVLMMessageEvent.h"
#include "ui/common/UiMetrics.h"

namespace Vellumetric {
namespace {
int LiveForms = 0;
}

// The scan's view of the strip's progress bar. The folder tree stays covered until the end
// message, so expanding and selecting are left to the analyzer's scan-finished step.
class TVLMDiskScanProgressForm::TProgressDisplay final : public TScanDisplay {
 public:
  explicit TProgressDisplay(QProgressBar* bar) : Bar(bar) {}
  void SetProgressRange(int minimum, int maximum) override { Bar->setRange(minimum, maximum); }
  void SetProgressPosition(int position) override { Bar->setValue(position); }
  void StepProgress() override { Bar->setValue(std::min(Bar->value() + 1, Bar->maximum())); }
  void ExpandNode(TNodeId) override {}
  void SelectNode(TNodeId) override {}

 private:
  QProgressBar* Bar;
};

TVLMDiskScanProgressForm::TVLMDiskScanProgressForm(QWidget* parent, QObject* analyzer,
                                                   const TScanTargets& targets,
                                                   TListerFactory listers, int dpi)
    : QWidget(parent), Analyzer(analyzer), Targets(targets), Listers(std::move(listers)) {
  ++LiveForms;
  setObjectName(QStringLiteral("VLMDiskScanProgressForm"));
  setAutoFillBackground(true);
  QPalette panel = palette();
  panel.setColor(QPalette::Window, TSchemeColours::For(palette()).Panel);
  setPalette(panel);
  setFont(TahomaFont(8));
  InfoStrip = new TVLMDiskScanProgressInfoForm(this, this, dpi);
  Panel2 = new QWidget(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->installEventFilter(this);
  TitleBar = new TVLMTitleBarForm(this, this, dpi);
  TitleBar->SetTitle(QStringLiteral("Scan in Progress. Please Wait..."), false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(TitleBar);
  layout->addWidget(Panel2, 1);
  layout->addWidget(InfoStrip);
  TitleBar->show();
  InfoStrip->show();
  Animation = new TVLMDiskScanProgressAnimationForm(Panel2, dpi);
  Animation->DrawFrame();
  Animation->show();
  Display = std::make_unique<TProgressDisplay>(InfoStrip->ProgressBar1);
}

TVLMDiskScanProgressForm::~TVLMDiskScanProgressForm() {
  // Destroyed while the scan runs (the program is closing): stop it and answer its last calls
  // here, as the event loop may be gone already.
  if (Thread) {
    Thread->CancelScan();
    Bridge->WaitForEndMessage();
    Thread.reset();
  }
  --LiveForms;
}

int TVLMDiskScanProgressForm::LiveCount() noexcept {
  return LiveForms;
}

void TVLMDiskScanProgressForm::StartScanThread(const std::vector<std::string>& roots, bool drives) {
  if (!InfoStrip || Thread) return;
  Bridge = std::make_unique<TQtThreadBridge>();
  Thread = std::make_unique<TVLMDiskAnalyzerThread>(*Bridge, Listers());
  Thread->Roots = roots;
  Thread->FolderTree = Targets.FolderTree;
  Thread->ProgressBar = Display.get();
  Thread->SubfolderCount = &SubfolderCount;
  Thread->RootsAreDrives = drives;
  Thread->Scanning = Targets.Scanning;
  Thread->TypedFiles = Targets.TypedFiles;
  Thread->Extensions = Targets.Extensions;
  Thread->BiggestFiles = Targets.BiggestFiles;
  Thread->BiggestOnDisk = Targets.BiggestOnDisk;
  Thread->FileRecords = Targets.FileRecords;
  Thread->ExcludedFolders = Targets.ExcludedFolders;
  Thread->BeforeWalk = Targets.BeforeWalk;
  Thread->AfterWalk = Targets.AfterWalk;
  Thread->Rules = Targets.Rules;
  Thread->NotifyWindow = HandleOf(this);
  // The flag is up from the first moment, so a close request made before the worker has
  // started already waits for it.
  Targets.Scanning->store(true);
  Thread->Resume();
}

void TVLMDiskScanProgressForm::CancelScan() {
  if (!Thread) return;
  Thread->CancelScan();
  if (InfoStrip) InfoStrip->Button1->setEnabled(false);
}

void TVLMDiskScanProgressForm::Relay(std::uint32_t message) {
  // The worker has nothing left to do after its end message; joining it is immediate.
  Thread.reset();
  Bridge.reset();
  PostVLMMessage(Analyzer, message);
}

bool TVLMDiskScanProgressForm::event(QEvent* event) {
  switch (static_cast<std::uint32_t>(event->type())) {
    case WM_SCAN_FINISHED:
    case WM_SCAN_CANCELLED:
      Relay(static_cast<std::uint32_t>(event->type()));
      return true;
    case WM_SCAN_CANCEL_REQUEST:
      CancelScan();
      return true;
    default:
      return QWidget::event(event);
  }
}

bool TVLMDiskScanProgressForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel2 && event->type() == QEvent::Resize) {
    const auto* resize = static_cast<QResizeEvent*>(event);
    Panel2CanResize(resize->size().width(), resize->size().height());
  }
  return QWidget::eventFilter(watched, event);
}

void TVLMDiskScanProgressForm::Panel2CanResize(int width, int height) {
  if (Animation)
    Animation->move((width - Animation->width()) / 2, (height - Animation->height()) / 2);
}

}  // namespace Vellumetric
