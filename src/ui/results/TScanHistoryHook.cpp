#include "ui/results/TScanHistoryHook.h"

#include <QMetaObject>
#include <QPointer>
#include <cstdio>

#include "history/THistoryDatabase.h"
#include "history/TScanSnapshot.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"

namespace Vellumetric {

TScanHistoryHook::TScanHistoryHook(QBoxLayout* statusStrip,
                                   std::function<std::string()> databasePath)
    : DatabasePath(std::move(databasePath)) {
  WarningLabel = new QLabel;
  WarningLabel->setObjectName(QStringLiteral("HistoryWarning"));
  WarningLabel->setEnabled(false);  // drawn greyed: a remark, not an error of the scan
  WarningLabel->hide();
  statusStrip->addWidget(WarningLabel, 0, Qt::AlignRight);
}

TScanHistoryHook::~TScanHistoryHook() {
  // Writes what is still queued; its last warnings are posted to this object, and Qt drops them
  // with it.
  Recorder.reset();
}

std::string TScanHistoryHook::StandardDatabasePath() {
  const std::string& folder = ApplicationInfo().DataFolder();
  return folder.empty() ? std::string() : JoinNativePath(folder, THistoryDatabase::FileName);
}

void TScanHistoryHook::ScanStarting(bool drives) {
  Drives = drives;
  StartedAt = SecondsSinceEpoch();
  WarningLabel->clear();
  WarningLabel->hide();
}

void TScanHistoryHook::ScanFinished(const TFolderTree& tree, const std::string& root) {
  if (!Recorder) {
    const std::string path = DatabasePath ? DatabasePath() : std::string();
    if (path.empty()) return;
    Recorder =
        std::make_unique<TScanHistoryRecorder>(path, [this](bool, const std::string& warning) {
          if (warning.empty()) return;
          // Called on the recorder's thread: the label is changed on the window's.
          QMetaObject::invokeMethod(
              this, [this, warning] { ShowWarning(warning); }, Qt::QueuedConnection);
        });
  }
  Recorder->Record(MakeScanSnapshot(tree, root, Drives, StartedAt, SecondsSinceEpoch()));
}

void TScanHistoryHook::WaitIdle() {
  if (Recorder) Recorder->WaitIdle();
}

void TScanHistoryHook::ShowWarning(const std::string& warning) {
  std::fprintf(stderr, "%s\n", warning.c_str());
  static_cast<void>(Recorder->TakeWarnings());  // shown now; the recorder need not keep them
  WarningLabel->setText(QStringLiteral("Scan history: ") + QString::fromStdString(warning));
  WarningLabel->setToolTip(WarningLabel->text());
  WarningLabel->show();
}

}  // namespace Vellumetric
