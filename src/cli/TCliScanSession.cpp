#include "cli/TCliScanSession.h"

#include <cstdio>

#include "model/VLMMessages.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/NativePlatform.h"

namespace Vellumetric {

TCliScanSession::TCliScanSession(TFileExtList extensions, bool showProgress)
    : Extensions(std::move(extensions)), ShowProgress(showProgress), PathStyle(NativePathStyle()) {}

void TCliScanSession::Run(const std::string& root, bool asDrive) {
  BiggestFiles.Clear();  // the window clears this list itself before each scan
  TVLMDiskAnalyzerThread thread(*this, CreateDirectoryLister());
  thread.Roots = {root};
  thread.FolderTree = &FolderTree;
  thread.ProgressBar = this;
  thread.SubfolderCount = &SubfolderCount;
  thread.RootsAreDrives = asDrive;
  thread.Scanning = &Scanning;
  thread.TypedFiles = &TypedFiles;
  thread.Extensions = &Extensions;
  thread.BiggestFiles = &BiggestFiles;
  thread.NotifyWindow = 1;
  thread.Resume();
  {
    std::unique_lock<std::mutex> guard(Lock);
    Ended.wait(guard, [this] { return LastMessage != 0; });
  }
  thread.WaitFor();
  if (ShowProgress) std::fputs("\r\033[K", stderr);
}

void TCliScanSession::Synchronize(const std::function<void()>& call) {
  call();
}

void TCliScanSession::PostMessage(TWindowHandle, std::uint32_t message, std::uintptr_t,
                                  std::intptr_t) {
  if (message != WM_SCAN_FINISHED && message != WM_SCAN_CANCELLED) return;
  {
    std::lock_guard<std::mutex> guard(Lock);
    LastMessage = message;
  }
  Ended.notify_all();
}

void TCliScanSession::SetProgressRange(int, int maximum) {
  ProgressMax = maximum;
  DrawProgress();
}

void TCliScanSession::SetProgressPosition(int position) {
  ProgressPos = position;
  DrawProgress();
}

void TCliScanSession::StepProgress() {
  ++ProgressPos;
  DrawProgress();
}

// "done of total" counts direct subfolders of the root; the last step is the end of the scan.
void TCliScanSession::DrawProgress() {
  if (!ShowProgress || ProgressMax <= 0) return;
  constexpr int kWidth = 40;
  const int filled = ProgressPos * kWidth / ProgressMax;
  // Position p means the p-th direct subfolder is being walked, so p - 1 are done.
  const int done = ProgressPos > 0 ? ProgressPos - 1 : 0;
  std::fprintf(stderr, "\r[%.*s%*s] %d of %d folders done", filled,
               "########################################", kWidth - filled, "", done,
               ProgressMax - 1);
  std::fflush(stderr);
}

}  // namespace Vellumetric
