#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "model/TNodeTree.h"
#include "model/TPathText.h"
#include "model/TSummaryNodeData.h"

namespace Vellumetric {

// The General or the Detail page's tree. A node made with AddFile refers to a file record of the
// scan: its name and size are the record's, its location the path of the record's folder (or the
// text the page shows for that folder instead, when SetFolderLocation gave one), its last access
// the record's second plus the part below it that the node keeps, its image index 1. Every other
// node has an entry of the tree's own with all of that. The records and folders must outlive the
// page's use of such nodes; a page read from a summary file has none.
class TSummaryTree : public TNodeTree<TSummaryNodeData> {
 public:
  // Where AddFile's nodes find their names and folders.
  void SetFileSource(const TFileRecordStore* records, const TFolderTree* folders) noexcept {
    Records = records;
    Folders = folders;
    DiskKnown = records != nullptr;
  }

  TNodeId AddNode(TNodeId parent, std::string name, TPathText location = {}, std::uint64_t size = 0,
                  std::int32_t imageIndex = 0, std::uint64_t lastAccess = 0, TFileDisk disk = {});
  // A file of the scan. Needs SetFileSource first. The node reads back exactly what it is given:
  // where its record cannot give that back (another size, a time it clamped, image index not 1,
  // an id too large to refer to), the file is copied into an entry of its own.
  TNodeId AddFile(TNodeId parent, TFileId file, std::uint64_t size, std::int32_t imageIndex,
                  std::uint64_t lastAccess);
  // The location shown for every file of `folder` when it is not the folder's own path.
  void SetFolderLocation(TNodeId folder, TPathText shown);
  // Changing a file node gives it an entry of its own, its record left as it is.
  void SetName(TNodeId node, std::string name);
  void SetSize(TNodeId node, std::uint64_t size) { Own(node).Size = size; }
  void SetDiskSize(TNodeId node, std::uint64_t size) { Own(node).Disk.Bytes = size; }
  void SetImageIndex(TNodeId node, std::int32_t index);
  void Clear();

  // Every level largest (or smallest) first by the measure; ties keep their order.
  void SortBySize(bool descending, TMeasure measure = TMeasure::Size) {
    if (measure == TMeasure::Disk) {
      SortAllByKey([this](const TSummaryNodeData& d) { return DiskOf(d).Bytes; }, descending);
    } else {
      SortAllByKey([this](const TSummaryNodeData& d) { return SizeOf(d); }, descending);
    }
  }

  [[nodiscard]] std::string_view Name(TNodeId node) const;
  [[nodiscard]] TPathText LocationText(TNodeId node) const;
  [[nodiscard]] std::string Location(TNodeId node) const { return LocationText(node).Str(); }
  // The file record a node refers to, or NoFile.
  [[nodiscard]] TFileId File(TNodeId node) const noexcept;
  [[nodiscard]] std::uint64_t Size(TNodeId node) const { return SizeOf(Data(node)); }
  // What the node's file (or files) take on disk, and for a file why that differs from Size.
  [[nodiscard]] TFileDisk Disk(TNodeId node) const { return DiskOf(Data(node)); }
  [[nodiscard]] std::uint64_t Bytes(TNodeId node, TMeasure measure) const {
    return measure == TMeasure::Disk ? DiskOf(Data(node)).Bytes : SizeOf(Data(node));
  }
  // A page made from a scan knows what its files take on disk; one read from a summary file
  // does not.
  [[nodiscard]] bool KnowsDiskSizes() const noexcept { return DiskKnown; }
  void SetKnowsDiskSizes(bool known) noexcept { DiskKnown = known; }
  // The raw file time (100 ns units since 1601; 0 for none), as the scan gave it.
  [[nodiscard]] std::uint64_t LastAccess(TNodeId node) const;
  [[nodiscard]] std::int32_t ImageIndex(TNodeId node) const;

 private:
  struct TOwnEntry {
    std::string Name;
    TPathText Location;
    std::uint64_t Size = 0;
    std::uint64_t LastAccess = 0;
    TFileDisk Disk;
  };

  [[nodiscard]] static bool IsFile(std::uint32_t text) noexcept {
    return (text & TSummaryNodeData::FileBit) != 0;
  }
  [[nodiscard]] std::uint64_t SizeOf(const TSummaryNodeData& data) const;
  [[nodiscard]] TFileDisk DiskOf(const TSummaryNodeData& data) const;
  TOwnEntry& Own(TNodeId node);

  std::deque<TOwnEntry> Entries;
  std::unordered_map<TNodeId, TPathText> FolderLocations;
  const TFileRecordStore* Records = nullptr;
  const TFolderTree* Folders = nullptr;
  bool DiskKnown = false;
};

}  // namespace Vellumetric
