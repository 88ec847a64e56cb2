#include "scan/TVLMDiskAnalyzerThread.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "exclude/TFilteringDirectoryLister.h"
#include "model/VLMMessages.h"
#include "scan/TParallelDirectoryLister.h"
#include "system/NativePlatform.h"
#include "system/PathRules.h"

namespace Vellumetric {
namespace {

bool IsDotOrDotDot(std::string_view name) {
  return name == "." || name == "..";
}

// Descriptors all listing threads of one scan may hold together.
constexpr std::size_t kDescriptorBudget = 256;

}  // namespace

int TVLMDiskAnalyzerThread::DefaultThreads() {
  // Measured on two cores: warm, 4 to 8 threads are equally fast and 16 lose a little to
  // switching; cold, 8 keep the disk far busier than 4. Most threads wait on the disk then.
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores * 4, 4U, 16U));
}

TVLMDiskAnalyzerThread::TVLMDiskAnalyzerThread(TThreadBridge& bridge,
                                               std::unique_ptr<TDirectoryLister> lister)
    : Bridge(bridge),
      Lister(std::move(lister)),
      Style(Lister->Style()),
      FullPaths(Lister->ListsByFullPath()) {}

void TVLMDiskAnalyzerThread::CancelScan() noexcept {
  CancelledFlag.store(true, std::memory_order_relaxed);
  Terminate();
}

void TVLMDiskAnalyzerThread::Execute() {
  Scanning->store(true);
  if (Rules && !Rules->Empty()) {
    Lister = std::make_unique<TFilteringDirectoryLister>(std::move(Lister), Rules);
  }
  Sync([this] {
    FolderTree->Clear();
    TypedFiles->Clear();
    if (Unreadable) Unreadable->Clear();
    if (FileRecords) FileRecords->Clear();
  });
  Links.Clear();
  ExcludedCount = 0;
  if (BeforeWalk) BeforeWalk();
  const TExtensionIndex index(*Extensions);
  for (const std::string& root : Roots) ScanRoot(root, index);
}

void TVLMDiskAnalyzerThread::ScanRoot(const std::string& root, const TExtensionIndex& index) {
  TFolderData data;
  // A drive is named by its whole root, a folder by the root's last component.
  const std::size_t leaf = RootsAreDrives ? 0 : root.size() - LastComponent(Style, root).size();
  data.Path = TPathText(root, leaf);
  data.Kind = RootsAreDrives ? FolderKindDrive : FolderKindFolder;
  const TNodeId node = FolderTree->AddChild(NoNode, std::move(data));
  if (Lister->CanListTwice()) CountSubfolders(root);
  Sync([this] {
    ProgressBar->SetProgressRange(0, SubfolderCount->load() + 1);
    ProgressBar->SetProgressPosition(0);
  });
  const int threads = Threads > 0 ? Threads : DefaultThreads();
  if (threads > 1 && Lister->CloneEmpty(2)) {
    TParallelDirectoryLister parallel(*Lister, threads, kDescriptorBudget,
                                      [this] { return Terminated(); });
    Walk(node, index, parallel);
  } else {
    Walk(node, index, *Lister);
  }
  Sync([this, node] { ProgressBar->ExpandNode(node); });
}

// A first listing of the root only to size the progress range: one step per direct subfolder.
void TVLMDiskAnalyzerThread::CountSubfolders(const std::string& root) {
  if (!Lister->EnterRoot(root, RootsAreDrives)) return;
  TDirEntry entry;
  while (!Terminated() && Lister->Next(entry)) {
    if (entry.IsDirectory && !IsDotOrDotDot(entry.Name)) SubfolderCount->fetch_add(1);
  }
  Lister->Leave();
}

// Depth-first with an explicit stack: a subfolder is walked completely before the next entry of
// its parent is read, exactly as a recursion would, but a tree thousands of levels deep cannot
// overflow the thread's stack.
void TVLMDiskAnalyzerThread::Walk(TNodeId root, const TExtensionIndex& index,
                                  TDirectoryLister& lister) {
  std::vector<TWalkFrame> stack;
  const bool listed = lister.EnterRoot(FolderTree->Data(root).Path.Str(), RootsAreDrives);
  if (!listed) NoteUnreadableFolder(root, lister.LastError());
  stack.push_back({root, listed, true, 0, 0, 0, listed ? lister.RootDiskSize() : 0});
  TDirEntry entry;
  while (!stack.empty()) {
    TWalkFrame& frame = stack.back();
    if (frame.Listed && !Terminated()) {
      if (lister.Next(entry)) {
        if (IsDotOrDotDot(entry.Name)) continue;
        if (entry.IsDirectory && entry.Excluded) {
          AddExcludedFolder(frame, entry.Name);
          continue;
        }
        frame.Size += entry.Size;
        if (entry.IsDirectory) {
          ++frame.Folders;
          EnterSubfolder(stack, entry, lister);  // invalidates `frame`
        } else {
          // Every file passes here exactly once, in the one-thread walk's order, whatever the
          // number of listing threads.
          ++frame.Files;
          if (entry.Error != 0) {
            NoteUnmeasuredFile(FolderTree->Data(frame.Node).Path, entry.Name, entry.Error);
          }
          frame.Disk += OfferFile(entry, frame.Node, index);
        }
        continue;
      }
      if (lister.LastError() != 0) NoteUnreadableFolder(frame.Node, lister.LastError());
    }
    if (frame.Listed) lister.Leave();
    FinishFolder(frame);
    stack.pop_back();
  }
}

// A subfolder's own blocks count in its own On disk (and so in its parent's through its total),
// as du counts a folder.
void TVLMDiskAnalyzerThread::EnterSubfolder(std::vector<TWalkFrame>& stack, const TDirEntry& entry,
                                            TDirectoryLister& lister) {
  const std::string_view name = entry.Name;
  const std::uint64_t ownBlocks = entry.DiskSize;
  const TWalkFrame& parent = stack.back();
  TFolderData data;
  const TPathText& parentPath = FolderTree->Data(parent.Node).Path;
  data.Path = TPathText::Child(parentPath, ChildSeparator(Style, parentPath.Back()), name);
  const TNodeId child = FolderTree->AddChild(parent.Node, std::move(data));
  if (parent.TopLevel) Sync([this] { ProgressBar->StepProgress(); });
  const std::string fullPath = FullPaths ? FolderTree->Data(child).Path.Str() : std::string();
  const bool listed = lister.EnterChild(name, fullPath);
  if (!listed) NoteUnreadableFolder(child, lister.LastError());
  stack.push_back({child, listed, false, 0, 0, 0, ownBlocks});
}

// Shown in the tree, marked, with no totals; it adds nothing to its parent, not even its own
// entry, so the totals are those of a tree without it (du --exclude counts the same way).
void TVLMDiskAnalyzerThread::AddExcludedFolder(const TWalkFrame& parent, std::string_view name) {
  TFolderData data;
  const TPathText& parentPath = FolderTree->Data(parent.Node).Path;
  data.Path = TPathText::Child(parentPath, ChildSeparator(Style, parentPath.Back()), name);
  data.Excluded = 1;
  data.Complete = 1;
  FolderTree->AddChild(parent.Node, std::move(data));
  ++ExcludedCount;
  if (parent.TopLevel) Sync([this] { ProgressBar->StepProgress(); });
}

// A folder that vanished (error 0) is not unreadable: it simply holds nothing any more.
void TVLMDiskAnalyzerThread::NoteUnreadableFolder(TNodeId node, std::int32_t error) {
  if (error == 0) return;
  TFolderData& folder = FolderTree->Data(node);
  folder.ReadError = error;
  if (Unreadable) {
    Unreadable->AddFolder(Unreadable->KeepsMore() ? folder.Path.Str() : std::string(),
                          SystemErrorText(error));
  }
}

void TVLMDiskAnalyzerThread::NoteUnmeasuredFile(const TPathText& folderPath, std::string_view name,
                                                std::int32_t error) {
  if (!Unreadable) return;
  std::string path;
  if (Unreadable->KeepsMore()) {
    path = folderPath.Str();
    path += ChildSeparator(Style, folderPath.Back());
    path += name;
  }
  Unreadable->AddFile(std::move(path), SystemErrorText(error));
}

std::uint64_t TVLMDiskAnalyzerThread::OfferFile(const TDirEntry& entry, TNodeId folder,
                                                const TExtensionIndex& index) {
  std::int32_t group = 0;
  const bool typed = index.Find(ExtractExtension(Style, entry.Name), group);
  THardLinkRegistry::TClaim claim;
  // Most files have one name: their blocks count as listed, with no look-up.
  const TFileDisk disk = entry.Identity.File == 0 ? TFileDisk{entry.DiskSize, entry.DiskFlags}
                                                  : CountOnce(entry, claim);
  TFileId file = NoFile;
  if (FileRecords) {
    file =
        FileRecords->Add(folder, entry.Name, entry.Size, typed ? group : TFileRecordStore::NoGroup,
                         entry.LastAccess, disk, entry.LastChange);
    if (typed && file != NoFile && TypedFiles) {
      TypedFiles->Add(*FileRecords, {file, group, entry.LastAccess});
    }
    if (file != NoFile && entry.Identity.File != 0) NoteHardLink(file, entry.Identity, claim);
  }
  const bool bySize = BiggestFiles->Accepts(entry.Size, disk.Bytes);
  const bool byDisk = BiggestOnDisk && BiggestOnDisk->Accepts(entry.Size, disk.Bytes);
  if (!bySize && !byDisk) return disk.Bytes;  // the common case: no record is built at all
  const TFileTypeData data{std::string(entry.Name),
                           FolderTree->Data(folder).Path,
                           entry.Size,
                           true,
                           entry.LastAccess,
                           group,
                           disk.Bytes,
                           disk.Flags,
                           file};
  if (bySize) BiggestFiles->Offer(data);
  if (byDisk) BiggestOnDisk->Offer(data);
  return disk.Bytes;
}

TFileDisk TVLMDiskAnalyzerThread::CountOnce(const TDirEntry& entry,
                                            THardLinkRegistry::TClaim& claim) {
  TFileDisk disk{entry.DiskSize, entry.DiskFlags};
  if (CountedElsewhere && CountedElsewhere(entry.Identity)) {
    claim = {false, NoFile, entry.Identity.Links};
    disk.Bytes = 0;
    disk.Flags |= DiskHardLink;
    return disk;
  }
  claim = Links.Claim(entry.Identity,
                      FileRecords ? static_cast<TFileId>(FileRecords->Count()) : NoFile);
  if (!claim.First) disk.Bytes = 0;
  // A listing that knows the link count marks every name at once; one that does not (Windows)
  // learns it only when a second name turns up.
  if (!claim.First || entry.Identity.Links > 1) disk.Flags |= DiskHardLink;
  return disk;
}

// Linux gives the link count, so the first name already knows it has others; on Windows the
// first name learns it when the second is met, and the count grows with each name found.
void TVLMDiskAnalyzerThread::NoteHardLink(TFileId file, const TFileIdentity& identity,
                                          const THardLinkRegistry::TClaim& claim) {
  // A name whose blocks count outside this walk (a folder scanned again) points at itself
  // until the refreshed folder is put in place and its first name is known.
  const TFileId first = claim.First || claim.FirstFile == NoFile ? file : claim.FirstFile;
  if (identity.Links > 1) {
    FileRecords->SetHardLink(file, first, identity.Links);
    FileRecords->SetLinkIdentity(file, identity.Volume, identity.File);
    return;
  }
  if (claim.First || claim.FirstFile == NoFile) return;
  FileRecords->SetHardLink(claim.FirstFile, claim.FirstFile, claim.NamesSeen);
  FileRecords->SetLinkIdentity(claim.FirstFile, identity.Volume, identity.File);
  FileRecords->SetHardLink(file, claim.FirstFile, claim.NamesSeen);
  FileRecords->SetLinkIdentity(file, identity.Volume, identity.File);
}

void TVLMDiskAnalyzerThread::FinishFolder(const TWalkFrame& frame) {
  TFolderData& folder = FolderTree->Data(frame.Node);
  folder.Size = frame.Size;
  folder.DiskSize = frame.Disk;
  folder.FolderCount = frame.Folders;
  folder.FileCount = frame.Files;
  folder.UnreadableBelow = 0;
  for (TNodeId c = FolderTree->FirstChild(frame.Node); c != NoNode;
       c = FolderTree->NextSibling(c)) {
    const TFolderData& child = FolderTree->Data(c);
    folder.Size += child.Size;
    folder.DiskSize += child.DiskSize;
    folder.FolderCount += child.FolderCount;
    folder.FileCount += child.FileCount;
    folder.UnreadableBelow += child.UnreadableBelow + (child.ReadError != 0 ? 1U : 0U);
  }
  folder.Complete = true;
  for (TNodeId c = FolderTree->FirstChild(frame.Node); c != NoNode;
       c = FolderTree->NextSibling(c)) {
    FolderTree->Data(c).ParentComplete = true;
  }
}

void TVLMDiskAnalyzerThread::DoTerminate() {
  // Only a walk that ran to its end: a stopped one leaves a tree nobody will show.
  if (ExcludedFolders && !Terminated()) *ExcludedFolders = ExcludedCount;
  if (AfterWalk && !Terminated()) AfterWalk();
  Scanning->store(false);
  if (!Cancelled()) {
    Sync([this] {
      ProgressBar->SelectNode(FolderTree->FirstChild(NoNode));
      ProgressBar->StepProgress();
    });
    Bridge.PostMessage(NotifyWindow, WM_SCAN_FINISHED, 0, 0);
  } else {
    Bridge.PostMessage(NotifyWindow, WM_SCAN_CANCELLED, 0, 0);
  }
}

}  // namespace Vellumetric
