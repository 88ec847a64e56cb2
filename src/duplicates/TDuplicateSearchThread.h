#pragma once

#include <atomic>
#include <memory>

#include "duplicates/TDuplicateOptions.h"
#include "duplicates/TDuplicateProgress.h"
#include "duplicates/TDuplicateResult.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "scan/TThreadBridge.h"
#include "scan/TWorkerThread.h"
#include "system/PathRules.h"
#include "system/TContentSource.h"

namespace Vellumetric {

// A search for duplicates on a worker, like the scan and the summary: created suspended, started
// by Resume(), stopped through Terminate() (the groups found until then stay), and ended with one
// WM_DUPLICATES_FINISHED to NotifyWindow. Busy is up from the start until just before that
// message. Progress may be read at any time; Result once the message has come.
class TDuplicateSearchThread final : public TWorkerThread {
 public:
  TDuplicateSearchThread(TThreadBridge& bridge, std::unique_ptr<TContentSource> source);
  ~TDuplicateSearchThread() override { Stop(); }

  const TFileRecordStore* Files = nullptr;
  const TFolderTree* Tree = nullptr;
  TPathStyle Style = TPathStyle::Posix;
  TDuplicateOptions Options;
  std::atomic<bool>* Busy = nullptr;
  TWindowHandle NotifyWindow = 0;

  TDuplicateProgress Progress;
  TDuplicateResult Result;

 private:
  void Execute() override;
  void DoTerminate() override;

  TThreadBridge& Bridge;
  std::unique_ptr<TContentSource> Source;
};

}  // namespace Vellumetric
