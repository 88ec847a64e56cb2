#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/TFileRecordStore.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"

namespace Vellumetric {

enum class TDuplicateKind : std::uint8_t { Files, Folders };

// Copies of one file, or of one folder with everything in it.
struct TDuplicateGroup {
  std::uint64_t Size = 0;       // of one copy: a file's size, a folder's total size
  std::uint64_t DiskBytes = 0;  // what the first copy takes on disk
  std::uint64_t Wasted = 0;     // what the other copies take on disk
  std::uint32_t First = 0;      // of its members in TDuplicateResult::Members
  std::uint32_t Count = 0;
  TDuplicateKind Kind = TDuplicateKind::Files;
};

// What a search found. Members are file ids of the scan's records (a group of files) or node ids
// of its folder tree (a group of folders), the copy that would be kept first. Two names of one
// file (hard links) are never two copies: a group names each file once.
struct TDuplicateResult {
  std::vector<TDuplicateGroup> Groups;  // the most wasted bytes first
  std::vector<std::uint32_t> Members;
  std::uint64_t Copies = 0;  // members beyond the first of each group
  // What removing every copy but the first of each group would free on disk, each file counted
  // once (a file of a duplicate folder may be in a group of files as well).
  std::uint64_t Wasted = 0;
  std::uint64_t LeftOut = 0;     // changed or vanished while read, or unreadable: in no group
  std::uint64_t OnlineOnly = 0;  // cloud files whose bytes are not here: never opened
  std::uint64_t BytesRead = 0;
  bool Stopped = false;  // cancelled: the groups found until then, no folders

  [[nodiscard]] std::span<const std::uint32_t> MembersOf(const TDuplicateGroup& g) const {
    return {Members.data() + g.First, g.Count};
  }
};

// The full path of member `member` of `group`, as the scan spelled it.
[[nodiscard]] std::string DuplicateMemberPath(const TDuplicateGroup& group, std::uint32_t member,
                                              const TFileRecordStore& files,
                                              const TFolderTree& tree, TPathStyle style);
// The folder that holds a member: a file's folder, or the member folder itself.
[[nodiscard]] TNodeId DuplicateMemberFolder(const TDuplicateGroup& group, std::uint32_t member,
                                            const TFileRecordStore& files);

}  // namespace Vellumetric
