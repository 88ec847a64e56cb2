#include "scan/TVLMSummaryThread.h"

#include "model/VLMMessages.h"
#include "persistence/SummaryFile.h"

namespace Vellumetric {
namespace {

// Load mode's requests, answered through the bridge so that every control change happens on
// the interface thread.
class TBridgedLoadHooks final : public TSummaryLoadHooks {
 public:
  TBridgedLoadHooks(TVLMSummaryThread& thread, TThreadBridge& bridge, TSummaryDisplay& display)
      : Thread(thread), Bridge(bridge), Display(display) {}

  bool StopRequested() override { return Thread.Terminated(); }
  void Started(std::int32_t total, const std::string& root) override {
    Thread.FileTotal = total;
    Bridge.Synchronize([&] {
      Display.SetLoadTotal(total);
      Display.SetTitleText(root);
    });
  }
  void Progress(std::int32_t, std::int32_t) override {
    Bridge.Synchronize([&] { Display.ProgressTick(); });
  }
  std::int32_t ResetGeneralIcons() override {
    Bridge.Synchronize([&] { Thread.IconIndex = Display.ResetGeneralImages(); });
    return Thread.IconIndex;
  }
  std::int32_t AddIcon(const std::string& path) override {
    Bridge.Synchronize([&] { Thread.IconIndex = Display.AddGeneralIcon(path); });
    return Thread.IconIndex;
  }
  void ExpandGeneralSection(TNodeId node) override {
    Bridge.Synchronize([&] { Display.ExpandGeneralSection(node); });
  }

 private:
  TVLMSummaryThread& Thread;
  TThreadBridge& Bridge;
  TSummaryDisplay& Display;
};

}  // namespace

TVLMSummaryThread::TVLMSummaryThread(TThreadBridge& bridge, TPathStyle style)
    : Bridge(bridge), Style(style) {}

void TVLMSummaryThread::Execute() {
  Busy->store(true);
  Sync([this] { ProgressBar->EnableTrees(false); });
  if (LoadMode) {
    Load();
  } else if (GroupPass()) {
    FilePass();
    FinishingPass();
  }
  Sync([this] { ProgressBar->EnableTrees(true); });
}

void TVLMSummaryThread::DoTerminate() {
  Busy->store(false);
  Bridge.PostMessage(NotifyWindow, WM_SUMMARY_FINISHED, 0, 0);
}

// False when a group id above 999 ends the build. Negative ids cannot index the table either:
// such a group is passed over.
bool TVLMSummaryThread::GroupPass() {
  for (TGroupSlot& slot : GroupSlots) slot = TGroupSlot{};
  for (const TFileExtDescData& group : *Groups) {
    if (Terminated()) break;
    if (group.ID > 999) return false;
    if (group.ID < 0) continue;
    TGroupSlot& slot = GroupSlots[static_cast<std::size_t>(group.ID)];
    slot = TGroupSlot{0, DetailTree->AddNode(NoNode, group.Desc), 0, 0};
  }
  return true;
}

// The Detail tree takes the typed files over: each entry leaves the list once its node is made,
// so the two never hold every file at once. Nothing reads the list after the summary.
void TVLMSummaryThread::FilePass() {
  DetailTree->SetFileSource(FileRecords, FolderTree);
  std::int32_t tick = 1;
  TNodeId lastFolder = NoNode;
  while (!TypedFiles->Empty()) {
    if (Terminated()) break;
    AddFileNode(TypedFiles->Front(*FileRecords), lastFolder);
    TypedFiles->PopFront();
    if (tick > 200) {
      Sync([this] { ProgressBar->ProgressTick(); });
      tick = 1;
    } else {
      ++tick;
    }
  }
}

// The files of one folder follow each other in the list, so the shown location is worked out
// once per folder, not once per file; mostly it is the folder's own path, and then the file
// nodes need no text at all.
void TVLMSummaryThread::AddFileNode(const TTypedFile& typed, TNodeId& lastFolder) {
  const TFileRecord& record = FileRecords->Record(typed.File);
  if (record.Folder != lastFolder) {
    lastFolder = record.Folder;
    const TPathText& path = FolderTree->Data(record.Folder).Path;
    const std::string full = path.Str();
    const std::string shown = NormalizeLocation(Style, full, SourcePath);
    if (shown != full) DetailTree->SetFolderLocation(record.Folder, TPathText(shown));
  }
  const std::int32_t id = typed.GroupID;
  const bool slotted = HasSlot(id) && GroupSlots[static_cast<std::size_t>(id)].Node != NoNode;
  // A record whose group has no node becomes a top-level node of its own.
  DetailTree->AddFile(slotted ? GroupSlots[static_cast<std::size_t>(id)].Node : NoNode, typed.File,
                      record.Size, 1, typed.LastAccess);
  if (HasSlot(id)) {
    GroupSlots[static_cast<std::size_t>(id)].Size += record.Size;
    GroupSlots[static_cast<std::size_t>(id)].Count += 1;
    GroupSlots[static_cast<std::size_t>(id)].DiskSize += record.DiskSize;
  }
}

void TVLMSummaryThread::FinishingPass() {
  for (const TFileExtDescData& group : *Groups) {
    if (Terminated()) break;
    if (!HasSlot(group.ID)) continue;
    const TGroupSlot& slot = GroupSlots[static_cast<std::size_t>(group.ID)];
    if (slot.Node == NoNode) continue;
    DetailTree->SetSize(slot.Node, slot.Size);
    DetailTree->SetDiskSize(slot.Node, slot.DiskSize);
    DetailTree->SetName(slot.Node, group.Desc + " (" + std::to_string(slot.Count) + ")");
  }
}

void TVLMSummaryThread::Load() {
  TBridgedLoadHooks hooks(*this, Bridge, *ProgressBar);
  const std::string separator(ChildSeparator(Style, '\0'));
  ReadSummaryFile(SourcePath, *OtherTree, *DetailTree, hooks, separator.empty() ? "/" : separator);
}

}  // namespace Vellumetric
