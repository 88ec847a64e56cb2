#pragma once

#include "exclude/TExclusionRules.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TTypedFileList.h"
#include "scan/TScanDisplay.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/TDirectoryLister.h"
#include "ui/common/TVLMTitleBarForm.h"
#include "ui/progress/TVLMDiskScanProgressAnimationForm.h"
#include "ui/progress/TVLMDiskScanProgressInfoForm.h"
#include "ui/services/TQtThreadBridge.h"

namespace Vellumetric {

using TListerFactory = std::function<std::unique_ptr<TDirectoryLister>()>;

// What the scan reads and fills: the analyzer's lists and its scanning flag.
struct TScanTargets {
  TFolderTree* FolderTree = nullptr;
  TTypedFileList* TypedFiles = nullptr;
  TBiggestFileList* BiggestFiles = nullptr;
  const TFileExtList* Extensions = nullptr;
  std::atomic<bool>* Scanning = nullptr;
  TFileRecordStore* FileRecords = nullptr;    // one record per file, for the map; may be null
  TBiggestFileList* BiggestOnDisk = nullptr;  // the biggest by what they take on disk; may be null
  // Run on the scan's worker before and after its walk (see TVLMDiskAnalyzerThread); may be empty.
  std::function<void()> BeforeWalk = nullptr;
  std::function<void()> AfterWalk = nullptr;
  // Set at the end of a walk to how many folders it left out; may be null.
  std::uint32_t* ExcludedFolders = nullptr;
  // Folders these rules leave out (none: every folder is scanned).
  std::shared_ptr<const TExclusionRules> Rules = nullptr;
};

// The scan view: title bar, the sweep and the progress strip with Cancel. Owns the scan thread
// and relays its end message to the analyzer. The thread object is kept until its end message
// has been relayed, so a Cancel handled later reaches no thread.
class TVLMDiskScanProgressForm final : public QWidget {
 public:
  TVLMDiskScanProgressForm(QWidget* parent, QObject* analyzer, const TScanTargets& targets,
                           TListerFactory listers, int dpi);
  ~TVLMDiskScanProgressForm() override;

  void StartScanThread(const std::vector<std::string>& roots, bool drives);
  void CancelScan();
  [[nodiscard]] bool HasThread() const noexcept { return Thread != nullptr; }

  QWidget* Panel2 = nullptr;
  TVLMTitleBarForm* TitleBar = nullptr;
  TVLMDiskScanProgressInfoForm* InfoStrip = nullptr;
  TVLMDiskScanProgressAnimationForm* Animation = nullptr;

  [[nodiscard]] static int LiveCount() noexcept;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class TProgressDisplay;
  void Panel2CanResize(int width, int height);
  void Relay(std::uint32_t message);

  QObject* Analyzer;
  TScanTargets Targets;
  TListerFactory Listers;
  std::atomic<std::int32_t> SubfolderCount{0};
  std::unique_ptr<TProgressDisplay> Display;
  // Declared before the thread: the thread is stopped and destroyed first.
  std::unique_ptr<TQtThreadBridge> Bridge;
  std::unique_ptr<TVLMDiskAnalyzerThread> Thread;
};

}  // namespace Vellumetric
