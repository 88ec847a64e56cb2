#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "exclude/TExclusionRules.h"
#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TSummaryTree.h"
#include "model/TTypedFileList.h"
#include "model/TUnreadableList.h"
#include "scan/TScanDisplay.h"
#include "scan/TSummaryDisplay.h"
#include "scan/TThreadBridge.h"
#include "system/PathRules.h"
#include "system/TDirectoryLister.h"
#include "system/ntfs/TScanEngineReport.h"

namespace Vellumetric {

class TVLMSummaryThread;

// One group's totals after a summary.
struct TGroupTotal {
  std::int32_t Id = 0;
  std::string Name;
  std::int32_t Count = 0;
  std::uint64_t Size = 0;
  std::uint64_t DiskSize = 0;

  [[nodiscard]] std::uint64_t Bytes(TMeasure measure) const noexcept {
    return measure == TMeasure::Disk ? DiskSize : Size;
  }
};

// Runs the scan and summary workers for the command line, standing in for the windows: the
// bridge runs synchronised calls inline (the main thread only waits), the progress bar is a line
// on stderr when stderr is a terminal, and icons are just counted.
// The parts of scanning one folder again: its walk, the splice (in a window, the pause of the
// interface) and filling the typed files again for the summary.
struct TRefreshSeconds {
  double Walk = 0;
  double Splice = 0;
  double Refill = 0;
};

class TCliSession final : public TThreadBridge, public TScanDisplay, public TSummaryDisplay {
 public:
  TCliSession(TFileExtDescList groups, TFileExtList extensions, bool showProgress);

  // Whether a scan keeps one record per file (off for the one-line report, which needs none).
  void SetKeepFileRecords(bool keep) noexcept { KeepFileRecords = keep; }
  // Which engine reads the root: the folder listing (the default), or the volume's MFT where
  // it can be read (auto, falling back to the listing) or nowhere else (mft).
  void SetEngine(TScanEngineChoice choice) noexcept { Engine = choice; }
  [[nodiscard]] const TScanEngineReport& EngineReport() const noexcept { return *Report; }
  // Each blocks until its worker's end message; the scan answers whether it ran to its end.
  // `threads`: listing threads, 0 for the engine's choice.
  // `lister`: what the walk reads instead of the disk (an export file, or the disk through an
  // export writer); the system's own when null.
  bool Scan(const std::string& root, bool asDrive, int threads = 0,
            std::unique_ptr<TDirectoryLister> lister = nullptr);
  // Scans the folder `node` of the last scan again and puts it in place; the biggest files and
  // typed files follow (Summarise again for the groups). True when it ran to its end.
  // `seconds`, when given, receives the time of each part.
  bool Refresh(TNodeId node, int threads = 0, TRefreshSeconds* seconds = nullptr);
  // Folders these rules leave out stay in the tree, marked, with no totals (none: all scanned).
  void SetExclusions(std::shared_ptr<const TExclusionRules> rules) { Rules = std::move(rules); }
  // Classify mode: the General section from the biggest files, the Detail tree from the typed
  // files, sorted as the window shows them.
  // Groups and the Detail tree come largest first by `measure`.
  void Summarise(const std::string& sourcePath, TMeasure measure = TMeasure::Size);
  void Load(const std::string& summaryFile);

  [[nodiscard]] TFolderTree& Tree() noexcept { return FolderTree; }
  [[nodiscard]] const TFileRecordStore& FileRecords() const noexcept { return Records; }
  [[nodiscard]] const TBiggestFileList& Biggest(TMeasure measure = TMeasure::Size) const noexcept {
    return measure == TMeasure::Disk ? BiggestOnDisk : BiggestFiles;
  }
  [[nodiscard]] const TUnreadableList& Unreadable() const noexcept { return UnreadableItems; }
  [[nodiscard]] const TSummaryTree& General() const noexcept { return GeneralTree; }
  [[nodiscard]] const TSummaryTree& Detail() const noexcept { return DetailTree; }
  [[nodiscard]] const TFileExtDescList& Groups() const noexcept { return GroupList; }
  // Every group of the group list after Summarise, largest first.
  [[nodiscard]] const std::vector<TGroupTotal>& GroupTotals() const noexcept { return Totals; }
  [[nodiscard]] const std::string& Title() const noexcept { return TitleText; }
  [[nodiscard]] TPathStyle Style() const noexcept { return PathStyle; }

  void Synchronize(const std::function<void()>& call) override;
  void PostMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;

  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;
  void ExpandNode(TNodeId) override {}
  void SelectNode(TNodeId) override {}

  void EnableTrees(bool) override {}
  void ProgressTick() override;
  void SetLoadTotal(std::int32_t total) override;
  void SetTitleText(const std::string& text) override { TitleText = text; }
  std::int32_t ResetGeneralImages() override;
  std::int32_t AddGeneralIcon(const std::string&) override { return Icons++; }
  void ExpandGeneralSection(TNodeId) override {}

 private:
  std::uint32_t WaitForEnd();
  void RunSummaryThread(TVLMSummaryThread& thread, const std::string& source);
  void DrawProgress(const char* what);
  [[nodiscard]] std::unique_ptr<TDirectoryLister> MakeLister();

  TFileExtDescList GroupList;
  TFileExtList Extensions;
  bool ShowProgress;
  TPathStyle PathStyle;
  TFolderTree FolderTree;
  TTypedFileList TypedFiles;
  TFileRecordStore Records;
  bool KeepFileRecords = true;
  std::shared_ptr<const TExclusionRules> Rules;
  TScanEngineChoice Engine = TScanEngineChoice::Listing;
  std::shared_ptr<TScanEngineReport> Report = std::make_shared<TScanEngineReport>();
  TBiggestFileList BiggestFiles;
  TBiggestFileList BiggestOnDisk{TMeasure::Disk};
  TUnreadableList UnreadableItems;
  TSummaryTree GeneralTree;
  TSummaryTree DetailTree;
  std::vector<TGroupTotal> Totals;
  std::string TitleText;
  std::atomic<bool> Scanning{false};
  std::atomic<bool> SummaryBusy{false};
  std::atomic<std::int32_t> SubfolderCount{0};
  std::int32_t Icons = 0;
  int ProgressMax = 0;
  int ProgressPos = 0;
  std::mutex Lock;
  std::condition_variable Ended;
  std::uint32_t LastMessage = 0;
};

}  // namespace Vellumetric
