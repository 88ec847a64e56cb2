#include "cli/TCliSession.h"

#include <algorithm>
#include <cstdio>

#include "model/VLMMessages.h"
#include "scan/SummaryPages.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "scan/TVLMFolderRefreshThread.h"
#include "scan/TVLMSummaryThread.h"
#include "system/NativePlatform.h"
#include "system/ntfs/NtfsVolumeSource.h"
#include "system/ntfs/TNtfsEngineLister.h"

namespace Vellumetric {

TCliSession::TCliSession(TFileExtDescList groups, TFileExtList extensions, bool showProgress)
    : GroupList(std::move(groups)),
      Extensions(std::move(extensions)),
      ShowProgress(showProgress),
      PathStyle(NativePathStyle()) {}

bool TCliSession::Scan(const std::string& root, bool asDrive, int threads,
                       std::unique_ptr<TDirectoryLister> lister) {
  BiggestFiles.Clear();  // the window clears these lists itself before each scan
  BiggestOnDisk.Clear();
  if (!lister) {
    PathStyle = NativePathStyle();
    lister = MakeLister();
  }
  PathStyle = lister->Style();  // a file from elsewhere keeps the paths of where it was made
  TVLMDiskAnalyzerThread thread(*this, std::move(lister));
  thread.Roots = {root};
  thread.FolderTree = &FolderTree;
  thread.ProgressBar = this;
  thread.SubfolderCount = &SubfolderCount;
  thread.RootsAreDrives = asDrive;
  thread.Scanning = &Scanning;
  thread.TypedFiles = &TypedFiles;
  thread.Extensions = &Extensions;
  thread.BiggestFiles = &BiggestFiles;
  thread.BiggestOnDisk = &BiggestOnDisk;
  thread.Unreadable = &UnreadableItems;
  thread.Threads = threads;
  thread.Rules = Rules;
  if (KeepFileRecords) thread.FileRecords = &Records;
  thread.NotifyWindow = 1;
  thread.Resume();
  const std::uint32_t end = WaitForEnd();
  thread.WaitFor();
  return end == WM_SCAN_FINISHED;
}

bool TCliSession::Refresh(TNodeId node, int threads, TRefreshSeconds* seconds) {
  TVLMFolderRefreshThread thread(*this, [] { return CreateDirectoryLister(); });
  thread.Results = {&FolderTree,    KeepFileRecords ? &Records : nullptr,
                    &TypedFiles,    &BiggestFiles,
                    &BiggestOnDisk, &UnreadableItems,
                    PathStyle};
  thread.Folder = node;
  thread.Extensions = &Extensions;
  thread.Rules = Rules;
  thread.Threads = threads;
  thread.Refreshing = &Scanning;
  thread.NotifyWindow = 1;
  thread.Resume();
  const std::uint32_t end = WaitForEnd();
  thread.WaitFor();
  if (seconds) *seconds = {thread.WalkSeconds, thread.SpliceSeconds, thread.RefillSeconds};
  return end == WM_REFRESH_FINISHED;
}

std::unique_ptr<TDirectoryLister> TCliSession::MakeLister() {
  *Report = TScanEngineReport{};
  if (Engine == TScanEngineChoice::Listing) return CreateDirectoryLister();
  // The MFT's progress in MiB on the same line as the folders' progress later.
  auto progress = [this](std::uint64_t done, std::uint64_t total) {
    ProgressMax = static_cast<int>(total >> 20);
    ProgressPos = static_cast<int>(done >> 20);
    DrawProgress("MiB of the MFT");
    return true;
  };
  return std::make_unique<TNtfsEngineLister>(
      Engine, OpenNtfsVolume, Engine == TScanEngineChoice::Mft ? nullptr : CreateDirectoryLister(),
      PathStyle, Report, progress);
}

void TCliSession::Summarise(const std::string& sourcePath, TMeasure measure) {
  GeneralTree.Clear();
  DetailTree.Clear();
  BuildBiggestFilesSection(GeneralTree, BiggestFiles, PathStyle, nullptr, 0);
  TVLMSummaryThread thread(*this, PathStyle);
  thread.TypedFiles = &TypedFiles;
  thread.FileRecords = &Records;
  thread.FolderTree = &FolderTree;
  thread.Groups = &GroupList;
  thread.LoadMode = false;
  ProgressMax = static_cast<int>(TypedFiles.Count());
  ProgressPos = 0;
  RunSummaryThread(thread, sourcePath);
  Totals.clear();
  for (const TFileExtDescData& g : GroupList) {
    if (g.ID < 0 || g.ID >= 1000) continue;
    const auto& slot = thread.GroupSlots[static_cast<std::size_t>(g.ID)];
    if (slot.Node != NoNode) {
      Totals.push_back({g.ID, g.Desc, slot.Count, slot.Size, slot.DiskSize});
    }
  }
  std::stable_sort(Totals.begin(), Totals.end(),
                   [measure](const TGroupTotal& a, const TGroupTotal& b) {
                     return a.Bytes(measure) > b.Bytes(measure);
                   });
  SortDetailTree(DetailTree, measure);
}

void TCliSession::Load(const std::string& summaryFile) {
  TVLMSummaryThread thread(*this, PathStyle);
  thread.OtherTree = &GeneralTree;
  thread.LoadMode = true;
  RunSummaryThread(thread, summaryFile);
  SortDetailTree(DetailTree);
}

void TCliSession::RunSummaryThread(TVLMSummaryThread& thread, const std::string& source) {
  thread.ProgressBar = this;
  thread.SourcePath = source;
  thread.Busy = &SummaryBusy;
  thread.NotifyWindow = 1;
  thread.DetailTree = &DetailTree;
  thread.Resume();
  WaitForEnd();
  thread.WaitFor();
}

std::uint32_t TCliSession::WaitForEnd() {
  std::unique_lock<std::mutex> guard(Lock);
  Ended.wait(guard, [this] { return LastMessage != 0; });
  const std::uint32_t message = LastMessage;
  LastMessage = 0;
  if (ShowProgress) std::fputs("\r\033[K", stderr);
  return message;
}

void TCliSession::Synchronize(const std::function<void()>& call) {
  call();
}

void TCliSession::PostMessage(TWindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message != WM_SCAN_FINISHED && message != WM_SCAN_CANCELLED &&
      message != WM_SUMMARY_FINISHED && message != WM_REFRESH_FINISHED &&
      message != WM_REFRESH_CANCELLED) {
    return;
  }
  {
    std::lock_guard<std::mutex> guard(Lock);
    LastMessage = message;
  }
  Ended.notify_all();
}

void TCliSession::SetProgressRange(int, int maximum) {
  ProgressMax = maximum - 1;  // the last step is the end of the scan
  DrawProgress("folders");
}

void TCliSession::SetProgressPosition(int position) {
  ProgressPos = position;
  DrawProgress("folders");
}

// Position p means the p-th direct subfolder is being walked, so p - 1 are done.
void TCliSession::StepProgress() {
  ++ProgressPos;
  DrawProgress("folders");
}

void TCliSession::ProgressTick() {
  ProgressPos += 200;
  DrawProgress("files");
}

void TCliSession::SetLoadTotal(std::int32_t total) {
  ProgressMax = total;
  ProgressPos = 0;
  DrawProgress("entries");
}

std::int32_t TCliSession::ResetGeneralImages() {
  Icons = 0;
  return Icons++;
}

void TCliSession::DrawProgress(const char* what) {
  if (!ShowProgress || ProgressMax <= 0) return;
  constexpr int kWidth = 40;
  const bool folders = what[0] == 'f' && what[1] == 'o';
  const int done = folders ? (ProgressPos > 0 ? ProgressPos - 1 : 0) : ProgressPos;
  const int shown = done < ProgressMax ? done : ProgressMax;
  const int filled = shown * kWidth / ProgressMax;
  std::fprintf(stderr, "\r[%.*s%*s] %d of %d %s done", filled,
               "########################################", kWidth - filled, "", shown, ProgressMax,
               what);
  std::fflush(stderr);
}

}  // namespace Vellumetric
