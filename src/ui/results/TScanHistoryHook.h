#pragma once

#include <QBoxLayout>
#include <QLabel>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "history/TScanHistoryRecorder.h"
#include "model/TFolderData.h"

namespace Vellumetric {

// Keeps every finished scan of the window in the scan history. The folder totals are copied on
// the window's thread when the scan ends (the tree is re-sorted right after); the database is
// written on the recorder's own thread, so the window never waits for it. A problem with the
// history never interrupts the user: its one-line warning is shown in a quiet label of the
// results view (and on stderr) until the next scan starts.
class TScanHistoryHook final : public QObject {
 public:
  // `databasePath` is asked when the first scan ends (the data folder is set up after the window
  // is made); an empty path keeps no history.
  TScanHistoryHook(QBoxLayout* statusStrip, std::function<std::string()> databasePath);
  // history.sqlite in the data folder; empty while the data folder is not set up.
  [[nodiscard]] static std::string StandardDatabasePath();
  ~TScanHistoryHook() override;
  TScanHistoryHook(const TScanHistoryHook&) = delete;
  TScanHistoryHook& operator=(const TScanHistoryHook&) = delete;

  void ScanStarting(bool drives);
  // A finished (not cancelled) scan of `root`, before its tree is reordered.
  void ScanFinished(const TFolderTree& tree, const std::string& root);
  // Blocks until every finished scan is written (tests and shutdown).
  void WaitIdle();

  QLabel* WarningLabel = nullptr;

 private:
  void ShowWarning(const std::string& warning);

  std::function<std::string()> DatabasePath;
  bool Drives = false;
  std::int64_t StartedAt = 0;
  // Last: its thread may still call back into this object until it is joined.
  std::unique_ptr<TScanHistoryRecorder> Recorder;
};

}  // namespace Vellumetric
