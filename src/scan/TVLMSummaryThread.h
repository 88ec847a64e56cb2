#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "model/TFileExtDescData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TSummaryTree.h"
#include "model/TTypedFileList.h"
#include "scan/TSummaryDisplay.h"
#include "scan/TThreadBridge.h"
#include "scan/TWorkerThread.h"
#include "system/PathRules.h"

namespace Vellumetric {

// Fills the summary pages on a worker thread. Classify mode sorts the typed-file list into the
// groups and builds the Detail tree; load mode reads a summary file into the General and Detail
// trees. Created suspended like the scan thread; ends with one WM_SUMMARY_FINISHED.
class TVLMSummaryThread final : public TWorkerThread {
 public:
  struct TGroupSlot {
    std::uint64_t Size = 0;
    TNodeId Node = NoNode;
    std::int32_t Count = 0;
    std::uint64_t DiskSize = 0;
  };
  static constexpr std::size_t SlotCount = 1000;

  // `style` decides how locations are normalised; `separator` joins a location and a name
  // for the General page's icons.
  TVLMSummaryThread(TThreadBridge& bridge, TPathStyle style);
  ~TVLMSummaryThread() override { Stop(); }

  std::array<TGroupSlot, SlotCount> GroupSlots{};
  TSummaryDisplay* ProgressBar = nullptr;
  std::int32_t FileTotal = 0;
  std::int32_t IconIndex = 0;
  std::string SourcePath;
  std::atomic<bool>* Busy = nullptr;
  TWindowHandle NotifyWindow = 0;
  TSummaryTree* DetailTree = nullptr;
  TSummaryTree* OtherTree = nullptr;  // load mode: the General tree
  // Classify mode: emptied as the Detail tree is built. The scan's file records and folders,
  // which the typed files refer to; the Detail tree's file nodes go on referring to them.
  TTypedFileList* TypedFiles = nullptr;
  const TFileRecordStore* FileRecords = nullptr;
  const TFolderTree* FolderTree = nullptr;
  const TFileExtDescList* Groups = nullptr;
  bool LoadMode = false;

 private:
  void Execute() override;
  void DoTerminate() override;
  [[nodiscard]] bool GroupPass();
  void FilePass();
  void FinishingPass();
  void AddFileNode(const TTypedFile& typed, TNodeId& lastFolder);
  void Load();
  void Sync(const std::function<void()>& call) { Bridge.Synchronize(call); }
  [[nodiscard]] static bool HasSlot(std::int32_t id) noexcept {
    return id >= 0 && static_cast<std::size_t>(id) < SlotCount;
  }

  TThreadBridge& Bridge;
  TPathStyle Style;
};

}  // namespace Vellumetric
