#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exclude/TExclusionRules.h"
#include "model/TBiggestFileList.h"
#include "model/TFileExtData.h"
#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TTypedFileList.h"
#include "model/TUnreadableList.h"
#include "scan/TExtensionIndex.h"
#include "scan/THardLinkRegistry.h"
#include "scan/TScanDisplay.h"
#include "scan/TThreadBridge.h"
#include "scan/TWorkerThread.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// Walks one or more roots depth-first on a worker thread and fills the folder tree (totals per
// folder), the typed-file list, the biggest-files list and, when given, the file records. Created
// suspended: the caller sets the fields, then calls Resume(). The end is reported by one posted
// message, WM_SCAN_FINISHED or, after CancelScan(), WM_SCAN_CANCELLED. The owner destroys the
// object after that message; the destructor stops and joins a worker that is still running.
class TVLMDiskAnalyzerThread final : public TWorkerThread {
 public:
  TVLMDiskAnalyzerThread(TThreadBridge& bridge, std::unique_ptr<TDirectoryLister> lister);
  ~TVLMDiskAnalyzerThread() override { Stop(); }

  // Set before Resume(); the referenced structures belong to the caller and must outlive the
  // worker. While it runs the worker is their only writer.
  std::vector<std::string> Roots;
  TFolderTree* FolderTree = nullptr;
  TScanDisplay* ProgressBar = nullptr;
  std::atomic<std::int32_t>* SubfolderCount = nullptr;
  bool RootsAreDrives = false;
  std::atomic<bool>* Scanning = nullptr;
  // Filled only when FileRecords is set: its entries refer to the records.
  TTypedFileList* TypedFiles = nullptr;
  const TFileExtList* Extensions = nullptr;
  TBiggestFileList* BiggestFiles = nullptr;
  // Optional: the biggest files by what they take on disk, kept beside those by size.
  TBiggestFileList* BiggestOnDisk = nullptr;
  // Optional: one record per file, for the summary's typed files and the map of the scan (a
  // quiet scan leaves it unset and keeps no typed files).
  TFileRecordStore* FileRecords = nullptr;
  // Optional: runs on the worker first, before the extension list is read: a wait for lists
  // still being loaded that should not hold up the window.
  std::function<void()> BeforeWalk;
  // Optional: runs on the worker after a walk that ran to its end, before the end message, while
  // the worker is still the only one to touch the lists: work on the finished tree that the
  // window should not have to wait for (a copy for the scan history, the first sort).
  std::function<void()> AfterWalk;
  // Optional: set before the end message of a walk that ran to its end, to how many folders it
  // left out (by the rules, or as the file it reads marks them), so the window knows whether
  // any page needs a count of them without looking through every folder.
  std::uint32_t* ExcludedFolders = nullptr;
  TWindowHandle NotifyWindow = 0;
  // Optional: what could not be read, cleared with the folder tree at the start. Each folder
  // node also keeps its own ReadError and the count of unreadable folders below it.
  TUnreadableList* Unreadable = nullptr;
  // Optional: folders these rules leave out are added to the tree marked Excluded and never
  // listed.
  std::shared_ptr<const TExclusionRules> Rules;
  // Optional: a file with several names whose blocks already count elsewhere (outside a
  // folder scanned again) counts nothing here.
  std::function<bool(const TFileIdentity&)> CountedElsewhere;
  // Threads that list folders; 0 lets the engine choose, 1 is the plain one-thread walk. The
  // result is the same whatever the number.
  int Threads = 0;
  // The engine's choice: cold disks gain from more outstanding reads than there are cores.
  [[nodiscard]] static int DefaultThreads();

  // The stop request of a cancel: the end message becomes WM_SCAN_CANCELLED.
  void CancelScan() noexcept;
  [[nodiscard]] bool Cancelled() const noexcept {
    return CancelledFlag.load(std::memory_order_relaxed);
  }

 private:
  struct TWalkFrame {
    TNodeId Node;
    bool Listed;
    bool TopLevel;
    std::uint64_t Size;
    std::uint32_t Folders;
    std::uint32_t Files;
    std::uint64_t Disk;  // starts with the folder's own blocks
  };

  void Execute() override;
  void DoTerminate() override;
  void ScanRoot(const std::string& root, const TExtensionIndex& index);
  void CountSubfolders(const std::string& root);
  void Walk(TNodeId root, const TExtensionIndex& index, TDirectoryLister& lister);
  void EnterSubfolder(std::vector<TWalkFrame>& stack, const TDirEntry& entry,
                      TDirectoryLister& lister);
  void AddExcludedFolder(const TWalkFrame& parent, std::string_view name);
  // What the file takes on disk in this scan: nothing for a name of a file met before.
  [[nodiscard]] TFileDisk CountOnce(const TDirEntry& entry, THardLinkRegistry::TClaim& claim);
  void NoteHardLink(TFileId file, const TFileIdentity& identity,
                    const THardLinkRegistry::TClaim& claim);
  // Answers the bytes the file counts on disk.
  std::uint64_t OfferFile(const TDirEntry& entry, TNodeId folder, const TExtensionIndex& index);
  void FinishFolder(const TWalkFrame& frame);
  void NoteUnreadableFolder(TNodeId node, std::int32_t error);
  void NoteUnmeasuredFile(const TPathText& folderPath, std::string_view name, std::int32_t error);
  void Sync(const std::function<void()>& call) { Bridge.Synchronize(call); }

  TThreadBridge& Bridge;
  std::unique_ptr<TDirectoryLister> Lister;
  TPathStyle Style;
  bool FullPaths;
  THardLinkRegistry Links;
  std::atomic<bool> CancelledFlag{false};
  std::uint32_t ExcludedCount = 0;
};

}  // namespace Vellumetric
