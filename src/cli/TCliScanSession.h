#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileTypeData.h"
#include "model/TFolderData.h"
#include "scan/TScanDisplay.h"
#include "scan/TThreadBridge.h"
#include "system/PathRules.h"

namespace Vellumetric {

// Runs one scan on the real scan thread for the command line. It stands in for the windows: the
// bridge runs synchronised calls inline (the main thread only waits) and the progress bar is a
// line on stderr when stderr is a terminal.
class TCliScanSession final : public TThreadBridge, public TScanDisplay {
 public:
  TCliScanSession(TFileExtList extensions, bool showProgress);

  // Scans `root` (a drive root when `asDrive`) and blocks until the end message arrives.
  void Run(const std::string& root, bool asDrive);

  [[nodiscard]] const TFolderTree& Tree() const noexcept { return FolderTree; }
  [[nodiscard]] TFolderTree& Tree() noexcept { return FolderTree; }
  [[nodiscard]] const TBiggestFileList& Biggest() const noexcept { return BiggestFiles; }
  [[nodiscard]] const TTypedFileList& Typed() const noexcept { return TypedFiles; }
  [[nodiscard]] TPathStyle Style() const noexcept { return PathStyle; }
  [[nodiscard]] std::uint32_t EndMessage() const noexcept { return LastMessage; }

  void Synchronize(const std::function<void()>& call) override;
  void PostMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;

  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;
  void ExpandNode(TNodeId) override {}
  void SelectNode(TNodeId) override {}

 private:
  void DrawProgress();

  TFileExtList Extensions;
  bool ShowProgress;
  TPathStyle PathStyle;
  TFolderTree FolderTree;
  TTypedFileList TypedFiles;
  TBiggestFileList BiggestFiles;
  std::atomic<bool> Scanning{false};
  std::atomic<std::int32_t> SubfolderCount{0};
  int ProgressMax = 0;
  int ProgressPos = 0;
  std::mutex Lock;
  std::condition_variable Ended;
  std::uint32_t LastMessage = 0;
};

}  // namespace Vellumetric
