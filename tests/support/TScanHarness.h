#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "TRecordingBridge.h"
#include "filetypes/DefaultFileTypes.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/NativePlatform.h"

namespace Vellumetric::Testing {

// Everything a scan of a real folder needs, wired as the analyzer window wires it, with the
// platform's own directory listing and the default file types.
struct TScanHarness {
  TRecordingBridge Bridge;
  TFolderTree Tree;
  TTypedFileList Typed;
  TBiggestFileList Biggest;
  TFileRecordStore Records;
  TFileExtList Extensions = DefaultExtensionList();
  std::atomic<bool> Scanning{false};
  std::atomic<std::int32_t> Subfolders{0};
  int Threads = 0;

  // `lister`: what the walk reads instead of the disk; the platform's own when null.
  void Run(const std::string& root, bool drive = false,
           std::unique_ptr<TDirectoryLister> lister = nullptr) {
    TVLMDiskAnalyzerThread thread(Bridge, lister ? std::move(lister) : CreateDirectoryLister());
    thread.Roots = {root};
    thread.FolderTree = &Tree;
    thread.ProgressBar = &Bridge;
    thread.SubfolderCount = &Subfolders;
    thread.RootsAreDrives = drive;
    thread.Scanning = &Scanning;
    thread.TypedFiles = &Typed;
    thread.Extensions = &Extensions;
    thread.BiggestFiles = &Biggest;
    thread.Threads = Threads;
    thread.FileRecords = &Records;
    thread.Resume();
    thread.WaitFor();
  }
  [[nodiscard]] const TFolderData& Root() const { return Tree.Data(Tree.FirstChild(NoNode)); }
  [[nodiscard]] std::string FirstChildPath(TNodeId parent) const {
    return Tree.Data(Tree.FirstChild(parent)).Path.Str();
  }
};

}  // namespace Vellumetric::Testing
