#include "duplicates/TDuplicateSearchThread.h"

#include "duplicates/TDuplicateSearch.h"
#include "model/VLMMessages.h"

namespace Vellumetric {

TDuplicateSearchThread::TDuplicateSearchThread(TThreadBridge& bridge,
                                               std::unique_ptr<TContentSource> source)
    : Bridge(bridge), Source(std::move(source)) {}

void TDuplicateSearchThread::Execute() {
  if (Busy) Busy->store(true);
  Result = FindDuplicates(*Files, *Tree, Style, Options, *Source, Progress,
                          [this] { return Terminated(); });
}

void TDuplicateSearchThread::DoTerminate() {
  if (Busy) Busy->store(false);
  Bridge.PostMessage(NotifyWindow, WM_DUPLICATES_FINISHED, 0, 0);
}

}  // namespace Vellumetric
