#include "model/TSummaryTree.h"

#include <utility>

namespace Vellumetric {

TNodeId TSummaryTree::AddNode(TNodeId parent, std::string name, TPathText location,
                              std::uint64_t size, std::int32_t imageIndex,
                              std::uint64_t lastAccess) {
  TSummaryNodeData data;
  data.Size = size;
  data.LastAccess = lastAccess;
  data.ImageIndex = imageIndex;
  data.Text = static_cast<std::uint32_t>(Texts.size());
  Texts.push_back({std::move(name), std::move(location)});
  return AddChild(parent, data);
}

TNodeId TSummaryTree::AddFile(TNodeId parent, TFileId file, std::uint64_t size,
                              std::int32_t imageIndex, std::uint64_t lastAccess) {
  if (file >= TSummaryNodeData::NoText || !Records || !Folders) {
    const TNodeId folder = Records ? Records->Record(file).Folder : NoNode;
    TPathText location;
    if (const auto it = FolderLocations.find(folder); it != FolderLocations.end()) {
      location = it->second;
    } else if (Folders && folder != NoNode) {
      location = Folders->Data(folder).Path;
    }
    return AddNode(parent, Records ? std::string(Records->Name(file)) : std::string(),
                   std::move(location), size, imageIndex, lastAccess);
  }
  TSummaryNodeData data;
  data.Size = size;
  data.LastAccess = lastAccess;
  data.ImageIndex = imageIndex;
  data.Text = TSummaryNodeData::FileBit | file;
  return AddChild(parent, data);
}

void TSummaryTree::SetFolderLocation(TNodeId folder, TPathText shown) {
  FolderLocations[folder] = std::move(shown);
}

void TSummaryTree::SetName(TNodeId node, std::string name) {
  TSummaryNodeData& data = Data(node);
  if (data.Text == TSummaryNodeData::NoText || (data.Text & TSummaryNodeData::FileBit) != 0) {
    Texts.push_back({std::move(name), LocationText(node)});
    data.Text = static_cast<std::uint32_t>(Texts.size() - 1);
  } else {
    Texts[data.Text].Name = std::move(name);
  }
}

void TSummaryTree::Clear() {
  TNodeTree<TSummaryNodeData>::Clear();
  std::deque<TOwnText>().swap(Texts);
  FolderLocations.clear();
}

TFileId TSummaryTree::File(TNodeId node) const noexcept {
  const std::uint32_t text = Data(node).Text;
  if (text == TSummaryNodeData::NoText || (text & TSummaryNodeData::FileBit) == 0) return NoFile;
  return text & ~TSummaryNodeData::FileBit;
}

std::string_view TSummaryTree::Name(TNodeId node) const {
  const std::uint32_t text = Data(node).Text;
  if (text == TSummaryNodeData::NoText) return {};
  if ((text & TSummaryNodeData::FileBit) == 0) return Texts[text].Name;
  return Records->Name(text & ~TSummaryNodeData::FileBit);
}

TPathText TSummaryTree::LocationText(TNodeId node) const {
  const std::uint32_t text = Data(node).Text;
  if (text == TSummaryNodeData::NoText) return {};
  if ((text & TSummaryNodeData::FileBit) == 0) return Texts[text].Location;
  const TNodeId folder = Records->Record(text & ~TSummaryNodeData::FileBit).Folder;
  if (!FolderLocations.empty()) {
    if (const auto it = FolderLocations.find(folder); it != FolderLocations.end()) {
      return it->second;
    }
  }
  return Folders->Data(folder).Path;
}

}  // namespace Vellumetric
