#include "scan/TVLMFolderRefreshThread.h"

#include <chrono>
#include <thread>

#include "model/VLMMessages.h"
#include "scan/TVLMDiskAnalyzerThread.h"

namespace Vellumetric {
namespace {

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TVLMFolderRefreshThread::TVLMFolderRefreshThread(TThreadBridge& bridge, TListerMaker makeLister)
    : Bridge(bridge), MakeLister(std::move(makeLister)) {}

void TVLMFolderRefreshThread::SetProgressRange(int minimum, int maximum) {
  if (Progress) Bridge.Synchronize([=, this] { Progress->SetProgressRange(minimum, maximum); });
}

void TVLMFolderRefreshThread::SetProgressPosition(int position) {
  if (Progress) Bridge.Synchronize([=, this] { Progress->SetProgressPosition(position); });
}

void TVLMFolderRefreshThread::StepProgress() {
  if (Progress) Bridge.Synchronize([this] { Progress->StepProgress(); });
}

// A folder that had been left out adds its own entry to its parent once it is scanned: the
// parent's listing says how large that entry is.
std::uint64_t TVLMFolderRefreshThread::EntrySize(const std::string& path) {
  const TFolderTree& tree = *Results.Tree;
  const TNodeId parent = tree.Parent(Folder);
  if (parent == NoNode || !tree.Data(Folder).Excluded) return 0;
  auto lister = MakeLister();
  if (!lister->EnterRoot(tree.Data(parent).Path.Str(), false)) return 0;
  const std::string_view name = LastComponent(lister->Style(), path);
  std::uint64_t size = 0;
  TDirEntry entry;
  while (lister->Next(entry)) {
    if (entry.IsDirectory && entry.Name == name) size = entry.Size;
  }
  lister->Leave();
  return size;
}

void TVLMFolderRefreshThread::Execute() {
  Refreshing->store(true);
  const auto start = std::chrono::steady_clock::now();
  const TFolderTree& tree = *Results.Tree;
  const TFolderData& data = tree.Data(Folder);
  const std::string path = data.Path.Str();
  Fresh.EntrySize = EntrySize(path);
  const TCountedOutside outside =
      Results.Records ? LinksCountedOutside(tree, *Results.Records, Folder) : TCountedOutside();
  std::atomic<bool> scanning{false};
  std::atomic<std::int32_t> subfolders{0};
  {
    TVLMDiskAnalyzerThread walk(*this, MakeLister());
    walk.Roots = {path};
    walk.FolderTree = &Fresh.Tree;
    walk.ProgressBar = this;
    walk.SubfolderCount = &subfolders;
    walk.RootsAreDrives = data.Kind == FolderKindDrive && tree.Parent(Folder) == NoNode;
    walk.Scanning = &scanning;
    walk.TypedFiles = &Fresh.TypedFiles;
    walk.Extensions = Extensions;
    walk.BiggestFiles = &Fresh.Biggest;
    walk.BiggestOnDisk = &Fresh.BiggestOnDisk;
    walk.Unreadable = &Fresh.Unreadable;
    if (Results.Records) walk.FileRecords = &Fresh.Records;
    walk.Rules = Rules;
    walk.Threads = Threads;
    if (!outside.empty()) {
      walk.CountedElsewhere = [&outside](const TFileIdentity& id) {
        return outside.contains({id.Volume, id.File});
      };
    }
    walk.Resume();
    while (!WalkEnded.load()) {
      if (Terminated()) walk.CancelScan();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    walk.WaitFor();
    if (walk.Cancelled() || Terminated()) return;
  }
  WalkSeconds = Since(start);
  const auto spliceStart = std::chrono::steady_clock::now();
  Bridge.Synchronize([&] {
    if (BeforeSplice) BeforeSplice(Fresh.Tree);
    SpliceFolder(Results, Folder, Fresh, outside);
  });
  SpliceSeconds = Since(spliceStart);
  // Reads every record, so it runs here rather than in the pause of the interface above; the
  // summary that takes these files is started only when this thread has finished.
  const auto refillStart = std::chrono::steady_clock::now();
  RefillTypedFiles(Results, Fresh);
  RefillSeconds = Since(refillStart);
  Spliced = true;
}

void TVLMFolderRefreshThread::DoTerminate() {
  Refreshing->store(false);
  Bridge.PostMessage(NotifyWindow, Spliced ? WM_REFRESH_FINISHED : WM_REFRESH_CANCELLED, 0, 0);
}

}  // namespace Vellumetric
