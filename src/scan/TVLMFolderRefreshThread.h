#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "exclude/TExclusionRules.h"
#include "model/TFileExtData.h"
#include "scan/FolderSplice.h"
#include "scan/TScanDisplay.h"
#include "scan/TThreadBridge.h"
#include "scan/TWorkerThread.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// Scans one folder of a finished scan again, on a worker, and puts the new subtree in place of
// the old one (SpliceFolder) on the interface thread, so the views, which read the tree while
// the walk runs, never see it change under them. Ends with WM_REFRESH_FINISHED, or
// WM_REFRESH_CANCELLED after a stop request (then nothing changed). The walk is the scan's own,
// into private lists, so its cost follows the folder's size, not the scan's.
class TVLMFolderRefreshThread final : public TWorkerThread,
                                      private TThreadBridge,
                                      private TScanDisplay {
 public:
  using TListerMaker = std::function<std::unique_ptr<TDirectoryLister>()>;
  TVLMFolderRefreshThread(TThreadBridge& bridge, TListerMaker makeLister);
  ~TVLMFolderRefreshThread() override { Stop(); }

  // Set before Resume(); they belong to the caller. The worker only reads them until the
  // splice, which runs on the interface thread.
  TScanResults Results;
  TNodeId Folder = NoNode;
  const TFileExtList* Extensions = nullptr;
  std::shared_ptr<const TExclusionRules> Rules;  // none: the folder is scanned whole
  int Threads = 0;
  std::atomic<bool>* Refreshing = nullptr;
  // Optional: the title strip's progress, stepped once per direct subfolder.
  TScanDisplay* Progress = nullptr;
  TWindowHandle NotifyWindow = 0;
  // Optional: runs on the interface thread just before the splice, with the fresh subtree
  // (whose top node is the folder): the views let go of what changes, the history copies it.
  std::function<void(const TFolderTree& fresh)> BeforeSplice;

  // After the end message: seconds spent walking and putting the result in place.
  double WalkSeconds = 0;
  double SpliceSeconds = 0;  // the pause of the interface thread
  double RefillSeconds = 0;

 private:
  void Execute() override;
  void DoTerminate() override;
  [[nodiscard]] std::uint64_t EntrySize(const std::string& path);

  // The inner walk's bridge: it runs calls at once on its own worker and only notes its end.
  void Synchronize(const std::function<void()>& call) override { call(); }
  void PostMessage(TWindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    WalkEnded.store(true);
  }
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;
  void ExpandNode(TNodeId) override {}
  void SelectNode(TNodeId) override {}

  TThreadBridge& Bridge;
  TListerMaker MakeLister;
  TFreshFolder Fresh;
  std::atomic<bool> WalkEnded{false};
  bool Spliced = false;
};

}  // namespace Vellumetric
