#include "model/TSummaryTree.h"

#include <utility>

namespace Vellumetric {
namespace {

constexpr std::int32_t FileImage = 1;

// A page holds one node per file of the scan: growing a node grows every large page.
static_assert(sizeof(TSummaryNodeData) == 8);

}  // namespace

TNodeId TSummaryTree::AddNode(TNodeId parent, std::string name, TPathText location,
                              std::uint64_t size, std::int32_t imageIndex, std::uint64_t lastAccess,
                              TFileDisk disk) {
  TSummaryNodeData data;
  data.Text = static_cast<std::uint32_t>(Entries.size());
  data.Extra = static_cast<std::uint32_t>(imageIndex);
  Entries.push_back({std::move(name), std::move(location), size, lastAccess, disk});
  return AddChild(parent, data);
}

TNodeId TSummaryTree::AddFile(TNodeId parent, TFileId file, std::uint64_t size,
                              std::int32_t imageIndex, std::uint64_t lastAccess) {
  if (file < TSummaryNodeData::NoText && Records && Folders && imageIndex == FileImage &&
      Records->Record(file).Size == size && Records->GivesBackTime(file, lastAccess)) {
    return AddChild(parent,
                    {TSummaryNodeData::FileBit | file, TFileRecordStore::BelowSecond(lastAccess)});
  }
  const TNodeId folder = Records ? Records->Record(file).Folder : NoNode;
  TPathText location;
  if (const auto it = FolderLocations.find(folder); it != FolderLocations.end()) {
    location = it->second;
  } else if (Folders && folder != NoNode) {
    location = Folders->Data(folder).Path;
  }
  const TFileDisk disk =
      Records ? TFileDisk{Records->DiskSize(file), Records->DiskFlags(file)} : TFileDisk{};
  return AddNode(parent, Records ? std::string(Records->Name(file)) : std::string(),
                 std::move(location), size, imageIndex, lastAccess, disk);
}

void TSummaryTree::SetFolderLocation(TNodeId folder, TPathText shown) {
  FolderLocations[folder] = std::move(shown);
}

void TSummaryTree::SetName(TNodeId node, std::string name) {
  Own(node).Name = std::move(name);
}

void TSummaryTree::SetImageIndex(TNodeId node, std::int32_t index) {
  Own(node);
  Data(node).Extra = static_cast<std::uint32_t>(index);
}

// A file node or one without an entry gets an entry holding what it showed so far.
TSummaryTree::TOwnEntry& TSummaryTree::Own(TNodeId node) {
  TSummaryNodeData& data = Data(node);
  if (data.Text != TSummaryNodeData::NoText && !IsFile(data.Text)) return Entries[data.Text];
  Entries.push_back(
      {std::string(Name(node)), LocationText(node), Size(node), LastAccess(node), Disk(node)});
  data.Extra = static_cast<std::uint32_t>(ImageIndex(node));
  data.Text = static_cast<std::uint32_t>(Entries.size() - 1);
  return Entries.back();
}

void TSummaryTree::Clear() {
  TNodeTree<TSummaryNodeData>::Clear();
  std::deque<TOwnEntry>().swap(Entries);
  FolderLocations.clear();
  DiskKnown = Records != nullptr;
}

TFileId TSummaryTree::File(TNodeId node) const noexcept {
  const std::uint32_t text = Data(node).Text;
  return IsFile(text) ? text & ~TSummaryNodeData::FileBit : NoFile;
}

std::uint64_t TSummaryTree::SizeOf(const TSummaryNodeData& data) const {
  if (IsFile(data.Text)) return Records->Size(data.Text & ~TSummaryNodeData::FileBit);
  return data.Text == TSummaryNodeData::NoText ? 0 : Entries[data.Text].Size;
}

TFileDisk TSummaryTree::DiskOf(const TSummaryNodeData& data) const {
  if (IsFile(data.Text)) {
    const TFileId file = data.Text & ~TSummaryNodeData::FileBit;
    return {Records->DiskSize(file), Records->DiskFlags(file)};
  }
  return data.Text == TSummaryNodeData::NoText ? TFileDisk{} : Entries[data.Text].Disk;
}

std::uint64_t TSummaryTree::LastAccess(TNodeId node) const {
  const TSummaryNodeData& data = Data(node);
  // AddFile checked that the record gives the node's time back.
  if (IsFile(data.Text))
    return Records->FileTime(data.Text & ~TSummaryNodeData::FileBit, data.Extra);
  return data.Text == TSummaryNodeData::NoText ? 0 : Entries[data.Text].LastAccess;
}

std::int32_t TSummaryTree::ImageIndex(TNodeId node) const {
  const TSummaryNodeData& data = Data(node);
  return IsFile(data.Text) ? FileImage : static_cast<std::int32_t>(data.Extra);
}

std::string_view TSummaryTree::Name(TNodeId node) const {
  const std::uint32_t text = Data(node).Text;
  if (text == TSummaryNodeData::NoText) return {};
  if (!IsFile(text)) return Entries[text].Name;
  return Records->Name(text & ~TSummaryNodeData::FileBit);
}

TPathText TSummaryTree::LocationText(TNodeId node) const {
  const std::uint32_t text = Data(node).Text;
  if (text == TSummaryNodeData::NoText) return {};
  if (!IsFile(text)) return Entries[text].Location;
  const TNodeId folder = Records->Record(text & ~TSummaryNodeData::FileBit).Folder;
  if (!FolderLocations.empty()) {
    if (const auto it = FolderLocations.find(folder); it != FolderLocations.end()) {
      return it->second;
    }
  }
  return Folders->Data(folder).Path;
}

}  // namespace Vellumetric
