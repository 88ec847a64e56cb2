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
// scan: its name is the record's and its location the path of the record's folder (or the text
// the page shows for that folder instead, when SetFolderLocation gave one). Every other node
// holds its own name and location. The records and folders must outlive the page's use of such
// nodes; a page read from a summary file has none.
class TSummaryTree : public TNodeTree<TSummaryNodeData> {
 public:
  // Where AddFile's nodes find their names and folders.
  void SetFileSource(const TFileRecordStore* records, const TFolderTree* folders) noexcept {
    Records = records;
    Folders = folders;
  }

  TNodeId AddNode(TNodeId parent, std::string name, TPathText location = {}, std::uint64_t size = 0,
                  std::int32_t imageIndex = 0, std::uint64_t lastAccess = 0);
  // A file of the scan. Needs SetFileSource first; an id too large to refer to is copied.
  TNodeId AddFile(TNodeId parent, TFileId file, std::uint64_t size, std::int32_t imageIndex,
                  std::uint64_t lastAccess);
  // The location shown for every file of `folder` when it is not the folder's own path.
  void SetFolderLocation(TNodeId folder, TPathText shown);
  void SetName(TNodeId node, std::string name);
  void Clear();

  [[nodiscard]] std::string_view Name(TNodeId node) const;
  [[nodiscard]] TPathText LocationText(TNodeId node) const;
  [[nodiscard]] std::string Location(TNodeId node) const { return LocationText(node).Str(); }
  // The file record a node refers to, or NoFile.
  [[nodiscard]] TFileId File(TNodeId node) const noexcept;

 private:
  struct TOwnText {
    std::string Name;
    TPathText Location;
  };

  std::deque<TOwnText> Texts;
  std::unordered_map<TNodeId, TPathText> FolderLocations;
  const TFileRecordStore* Records = nullptr;
  const TFolderTree* Folders = nullptr;
};

}  // namespace Vellumetric
