#include "ui/windows/TMainForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cmath>

#include "system/TApplicationInfo.h"
#include "ui/common/UiMetrics.h"
#include "ui/services/TIconSet.h"
#include "ui/windows/TWidgetAccess.h"
#include "ui/windows/TWindowMemory.h"

namespace Vellumetric {
namespace {

// Qt 6 scales every window by the screen's device pixel ratio and reports the logical
// resolution without it; the screen's real resolution is the product of the two.
double PixelRatio() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->devicePixelRatio() : 1.0;
}

int MeasuredDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return ScreenDpiOrDefault(screen ? std::optional<int>(static_cast<int>(
                                         std::lround(screen->logicalDotsPerInchX() * PixelRatio())))
                                   : std::nullopt);
}

}  // namespace

TMainForm::TMainForm(std::optional<int> dpi, TAnalyzerServices services)
    : ScreenDpi(dpi.value_or(MeasuredDpi())),
      LayoutDpi(static_cast<int>(std::lround(ScreenDpi / PixelRatio()))),
      Services(std::move(services)) {
  setObjectName(QStringLiteral("MainForm"));
  TWidgetAccess::Install();  // keys and names for every widget of the program
  setWindowTitle(QStringLiteral("Quendrix Vellumetric"));
  setWindowIcon(TIconSet::Icon(QStringLiteral("app"), 128));
  setFont(TahomaFont(8));
  resize(Scaled(1255, LayoutDpi), Scaled(830, LayoutDpi));
  move(0, 0);
  AppCloseTimer = new QTimer(this);
  AppCloseTimer->setInterval(200);
  connect(AppCloseTimer, &QTimer::timeout, this, [this] { AppCloseTimerTimer(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Shown) {
    Shown = true;
    FormShow();
  }
}

void TMainForm::FormShow() {
  std::string message;
  if (!InitApplicationInfo(VellumetricProductIndex, "1.2.0", 6, message)) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Error"),
                    QString::fromStdString(message), QMessageBox::Ok, this);
    box.exec();
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return;
  }
  if (!Analyzer) {
    Analyzer = new TVLMAnalyzerForm(this, LayoutDpi, Services);
    setCentralWidget(Analyzer);
  }
  Analyzer->SetCompactToolbar(!IsLargeResolution(ScreenDpi));
  Analyzer->Initialize();
  if (!Memory) {
    Memory = new TWindowMemory(
        *this, *Analyzer,
        Services.WindowStateFolder ? Services.WindowStateFolder() : std::string());
    Analyzer->ShowSummaryPage = [this] { Memory->ShowLastSummaryPage(); };
    Memory->Restore();
  }
  Analyzer->show();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    if (Memory) static_cast<void>(Memory->Save());  // a failure is only reported on stderr
    event->accept();
  } else {
    event->ignore();
  }
}

// While a worker runs the window stays open; the timer asks the worker to stop and closes again
// once both flags are clear.
bool TMainForm::FormCloseQuery() {
  if (!Analyzer) return true;
  // A worker's end message may still be queued after its flag went down, and handling it starts
  // the next step (the summary after a scan, the sort after a summary): a close granted in
  // between would leave a thread running in a closed window.
  if (Analyzer->WorkPending()) {
    AppCloseTimer->start();
    return false;
  }
  return true;
}

void TMainForm::AppCloseTimerTimer() {
  if (!Analyzer) return;
  if (Analyzer->SummaryBusy.load()) {
    Analyzer->CancelSummary();
  } else if (Analyzer->Scanning.load() || Analyzer->Refreshing.load()) {
    Analyzer->CancelScan();
  } else if (!Analyzer->WorkPending()) {
    AppCloseTimer->stop();
    close();
  }
}

}  // namespace Vellumetric
