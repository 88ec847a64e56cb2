#include "ui/results/TScanHistoryHook.h"

#include <QMetaObject>
#include <cstdio>
#include <utility>

#include "history/THistoryDatabase.h"
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

bool TScanHistoryHook::EnsureRecorder() {
  if (Recorder) return true;
  if (!PathAsked) {
    Path = DatabasePath ? DatabasePath() : std::string();
    PathAsked = true;
  }
  if (Path.empty()) return false;
  Recorder = std::make_unique<TScanHistoryRecorder>(Path, [this](bool, const std::string& warning) {
    if (warning.empty()) return;
    // Called on the recorder's thread: the label is changed on the window's.
    QMetaObject::invokeMethod(
        this, [this, warning] { ShowWarning(warning); }, Qt::QueuedConnection);
  });
  return true;
}

void TScanHistoryHook::ScanStarting(bool drives) {
  Drives = drives;
  StartedAt = SecondsSinceEpoch();
  if (!PathAsked) {
    Path = DatabasePath ? DatabasePath() : std::string();
    PathAsked = true;
  }
  {
    std::lock_guard<std::mutex> guard(CopyLock);
    Copied.reset();
    CopiedNodes.clear();
  }
  WarningLabel->clear();
  WarningLabel->hide();
}

void TScanHistoryHook::CopyFinishedTree(const TFolderTree& tree, const std::string& root) {
  if (Path.empty()) return;  // set before the worker started; no history, no copy
  std::vector<TNodeId> nodes;
  auto copy = std::make_shared<const TScanSnapshot>(
      MakeScanSnapshot(tree, root, Drives, StartedAt, SecondsSinceEpoch(), &nodes));
  std::lock_guard<std::mutex> guard(CopyLock);
  Copied = std::move(copy);
  CopiedNodes = std::move(nodes);
}

void TScanHistoryHook::ScanFinished(const TFolderTree& tree, const std::string& root) {
  if (!EnsureRecorder()) return;
  std::shared_ptr<const TScanSnapshot> scan;
  std::vector<TNodeId> nodes;
  {
    std::lock_guard<std::mutex> guard(CopyLock);
    scan = std::exchange(Copied, nullptr);
    nodes = std::exchange(CopiedNodes, {});
  }
  if (!scan) {
    scan = std::make_shared<const TScanSnapshot>(
        MakeScanSnapshot(tree, root, Drives, StartedAt, SecondsSinceEpoch(), &nodes));
  }
  TScanHistoryRecorder::TStored stored;
  if (BeforeRecording) stored = BeforeRecording(scan, std::move(nodes));
  Recorder->Record(std::move(scan), std::move(stored));
}

bool TScanHistoryHook::Post(TScanHistoryRecorder::TTask task) {
  if (!EnsureRecorder()) return false;
  Recorder->Post(std::move(task));
  return true;
}

void TScanHistoryHook::WaitIdle() {
  if (Recorder) Recorder->WaitIdle();
}

void TScanHistoryHook::ShowWarning(const std::string& warning) {
  std::fprintf(stderr, "%s\n", warning.c_str());
  if (Recorder) static_cast<void>(Recorder->TakeWarnings());  // shown now: no need to keep them
  const QString line = QString::fromStdString(warning);
  if (WarningLabel->isHidden() || WarningLabel->text().isEmpty()) {
    WarningLabel->setText(QStringLiteral("Scan history: ") + line);
  } else if (!WarningLabel->text().contains(line)) {
    WarningLabel->setText(WarningLabel->text() + QStringLiteral("; ") + line);
  }
  WarningLabel->setToolTip(WarningLabel->text());
  WarningLabel->show();
}

}  // namespace Vellumetric
